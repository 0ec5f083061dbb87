#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/BackgroundQueue.hpp"
#include "app/ContentView.hpp"
#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/OwnerThread.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/ReplayService.hpp"

namespace umbrascope {

// The Open Capture dialog's answer: the file, and whether it plays at once rather than at the
// pace it was recorded at.
struct CaptureToOpen {
    std::filesystem::path file;
    bool playAtOnce = false;
};
using CaptureToOpenAnswer = std::function<void(std::optional<CaptureToOpen>)>;
// Asks as AskForExportLocation does, with an open dialog titled CaptureFiles::openDialogTitle.
using AskForCaptureToOpen = std::function<void(CaptureToOpenAnswer answer)>;

// Where an opened capture becomes a source of the window's MIDI: listed once added, played from
// play() on.
struct OpenedCaptureSources {
    std::function<SourceRef(std::shared_ptr<const Capture>)> add;
    std::function<void(SourceRef, ReplayPace)> play;
};

// "Saved 1,234 messages to keys.ump" or "Save failed: " and why.
std::string captureSaveResultText(const std::optional<std::string>& failure, std::size_t count,
                                  const std::filesystem::path& location);

// A window's Save Capture and Open Capture. Saving writes the buffer (hidden messages included) as
// a capture file in the background, replacing the file as a whole; opening reads a capture file
// in the background and adds it as a source that plays once, at its recorded pace or at once. The
// results are said where the window's confirmations are (narration not off); a file that cannot be
// opened goes to the notice strip. Main thread; the services must outlive it.
class CaptureFiles {
public:
    static constexpr std::string_view saveDialogTitle = "Save Capture";
    static constexpr std::string_view saveFileName = "Umbrascope-Capture.ump";
    static constexpr std::string_view openDialogTitle = "Open Capture";
    struct Services {
        ContentView& view;
        BackgroundQueue& background;
        MainQueue& main;
        AskForExportLocation askSaveLocation;
        AskForCaptureToOpen askToOpen;
        OpenedCaptureSources sources;
    };

    explicit CaptureFiles(Services services);
    ~CaptureFiles();
    CaptureFiles(const CaptureFiles&) = delete;
    CaptureFiles& operator=(const CaptureFiles&) = delete;

    // Ctrl+S: says what happens and asks where, unless the buffer is empty.
    void requestSave();
    // Ctrl+O: says what happens and asks for the file.
    void requestOpen();
    // Opens a file as the dialog's answer does.
    void open(CaptureToOpen choice);

private:
    struct Pending {
        SourceRef source;
        std::int32_t id;
        std::string name;
        ReplayPace pace;
    };

    void save(std::filesystem::path location);
    void opened(Capture capture, ReplayPace pace, const std::filesystem::path& file);
    void sourcesChanged();
    std::string freeName(const std::string& name) const;
    void say(const std::string& text);

    OwnerThread owner_;
    ContentView& view_;
    BackgroundQueue& background_;
    MainQueue& main_;
    AskForExportLocation askSaveLocation_;
    AskForCaptureToOpen askToOpen_;
    OpenedCaptureSources sources_;
    // Opened, waiting for the store to list (and so enable) them before they play.
    std::vector<Pending> pending_;
    ObserverList<MIDIManagerProperty>::Subscription sourcesSubscription_;
    LifetimeToken lifetime_; // last: ends first
};

} // namespace umbrascope
