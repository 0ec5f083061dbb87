#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/BackgroundQueue.hpp"
#include "app/CaptureFiles.hpp"
#include "app/ContentView.hpp"
#include "audio/AudioEngine.hpp"
#include "desktop/CommandLine.hpp"
#include "platform/SystemMIDI.hpp"
#include "ui/QtMainQueue.hpp"
#include "ui/QtScheduler.hpp"

namespace umbrascope {
class MonitorController;
class MonitorWindow;
} // namespace umbrascope

namespace umbrascope::desktop {

// One monitor window with services of its own: MIDI sources as requested (the captures shared
// with the other windows), speech, clicks, queues, and settings at their start values. The capture
// and demo playing starts once the window's store has published its first scan, so no early line
// finds its source still disabled. Main thread only.
class MonitorSession final : public QObject {
    Q_OBJECT
public:
    // `reread`: capture files of the request that the other windows have played and let go of,
    // read again in the background and added as they are read.
    explicit MonitorSession(const MonitorRequest& request,
                            const std::vector<std::filesystem::path>& reread = {});
    ~MonitorSession() override;

    MonitorWindow& window() { return *window_; }
    ContentView& view() { return *view_; }
    CaptureFiles& captureFiles() { return *captureFiles_; }

signals:
    // The user asked for another monitor window (Ctrl+N).
    void newWindowRequested();
    // The window was closed; the owner may delete the session from the event loop.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addWindowMenu();

    // Declared so that everything is destroyed before what it uses: the window and its sheets
    // before the view, the view before the MIDI services that deliver to it, and the queues last,
    // once no thread can post to them.
    QtMainQueue mainQueue_;
    QtScheduler scheduler_;
    WorkerThreadQueue background_;
    std::unique_ptr<AudioEngine> engine_;
    std::shared_ptr<SpeechLogFile> speechLog_; // outlives the announcer it logs
    platform::MIDIServices midi_;
    std::unique_ptr<ContentView> view_;
    // Of the synthesizer the view owns.
    ObserverList<const std::string&>::Subscription speechNotice_;
    std::unique_ptr<MonitorWindow> window_;
    std::unique_ptr<MonitorController> controller_;
    std::unique_ptr<CaptureFiles> captureFiles_;
};

} // namespace umbrascope::desktop
