#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ContentView.hpp"
#include "terminal/KeyDecoder.hpp"
#include "terminal/MonitorText.hpp"

namespace umbrascope::terminal {

enum class DisplayMode {
    screen, // a list of rows and a status line, redrawn at most once a frame
    lines,  // every new message and every status change appended as one plain line
    json,   // one JSON object per message; what the keys show goes to the notes
};

struct MonitorOptions {
    DisplayMode mode = DisplayMode::lines;
    bool colour = false; // only ever in screen mode
    std::filesystem::path exportPath{ContentView::exportFileName};
    bool time = false; // rows begin with the seconds since the start (screen and lines modes)
};

struct TerminalSize {
    int rows = 24;
    int columns = 80;
};

// The monitor as a terminal shows it: one ContentView, its keys, and text for the terminal.
// It reads and writes nothing itself; the caller feeds it keys and sizes and writes out what it
// produced after each round of the main loop. Main thread, as the view.
class TerminalMonitor {
public:
    // `services.askForExportLocation` is replaced: E always exports to options.exportPath.
    TerminalMonitor(ContentViewServices services, MonitorOptions options);
    ~TerminalMonitor();
    TerminalMonitor(const TerminalMonitor&) = delete;
    TerminalMonitor& operator=(const TerminalMonitor&) = delete;

    ContentView& view() { return view_; }

    void handleKey(const TerminalKey& key);
    bool quitRequested() const { return quit_; }

    void resize(TerminalSize size);
    // The screen is drawn whole at the next frame (after a resize, a return from the background).
    void redraw();

    // Appends what was produced since the last call: for standard output, and the notes (help,
    // breakdowns) that in JSON mode go to standard error instead. A due frame is drawn first.
    void takeOutput(std::string& out, std::string& notes);

    // Screen mode's control sequences around a session: the alternate screen, the cursor hidden.
    static constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J";
    static constexpr std::string_view leaveScreen = "\x1b[?25h\x1b[?1049l";
    static constexpr Duration frameInterval = std::chrono::milliseconds(33);

private:
    enum class Panel { none, help, breakdown, devices };

    void runMonitorCommand(char key);
    bool handleDeviceKey(const TerminalKey& key);
    void showPanel(Panel panel);
    void note(const std::string& text);
    void changed();
    void appendChangedStatus(std::string& out);
    void drawScreen(std::string& out);
    std::string panelText(Panel panel);
    void nextBufferSize();

    MainQueue& mainQueue_;
    Scheduler& scheduler_;
    MonitorOptions options_;
    ContentView view_;
    TerminalSize size_;
    bool quit_ = false;
    Panel panel_ = Panel::none;
    std::size_t deviceCursor_ = 0;

    SafeSourceName sourceNames_;
    std::string out_;
    std::string notes_;
    std::vector<StatusItem> shownStatus_;
    std::vector<StatusItem> startStatus_;
    bool statusChanged_ = true;
    bool screenDirty_ = true;
    std::unique_ptr<ScheduledTask> frame_;
    bool frameDue_ = true;

    ObserverList<ContentViewProperty>::Subscription viewSubscription_;
    ObserverList<const VisibleChange&>::Subscription visibleSubscription_;
    ObserverList<MIDIManagerProperty>::Subscription managerSubscription_;
    ObserverList<SpeechAnnouncerProperty>::Subscription announcerSubscription_;
};

} // namespace umbrascope::terminal
