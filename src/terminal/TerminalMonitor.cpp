#include "terminal/TerminalMonitor.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/VoiceSelection.hpp"
#include "cli/TerminalText.hpp"
#include "terminal/MonitorKeys.hpp"

namespace umbrascope::terminal {

namespace {

// Foreground colours of the classes, in allMessageTypes order: the window's hues as the basic
// terminal colours name them.
constexpr std::array<std::string_view, allMessageTypes.size()> typeColours{
    "\x1b[90m", // utility: gray
    "\x1b[35m", // system: purple
    "\x1b[34m", // MIDI 1.0 channel voice: blue
    "\x1b[32m", // data64: green
    "\x1b[33m", // MIDI 2.0 channel voice: orange
    "\x1b[36m", // data128: teal
    "\x1b[95m", // flexData: pink
    "\x1b[94m", // umpStream: indigo
    "\x1b[31m", // unknown
};
constexpr std::string_view plainColour = "\x1b[0m";
constexpr std::string_view statusColour = "\x1b[7m";
constexpr std::string_view clearToEnd = "\x1b[K";

constexpr float panStep = 0.1F;

std::string_view colourOf(UMPMessageType type) {
    const auto found = std::find(allMessageTypes.begin(), allMessageTypes.end(), type);
    return typeColours[static_cast<std::size_t>(found - allMessageTypes.begin())];
}

// `text` cut to `columns` characters (UTF-8 sequences counted as one); the escaped text holds
// no control characters, so each character takes a column, wide ones aside.
void appendFitted(std::string& out, std::string_view text, std::size_t& columns) {
    const auto continuation = [&text](std::size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    std::size_t i = 0;
    for (; i < text.size() && columns > 0; ++i)
        if (!continuation(i)) --columns;
    while (i < text.size() && continuation(i))
        ++i;
    out.append(text.substr(0, i));
}

std::string sourceLine(const ContentView& view, const MIDISourceInfo& source,
                       SpeechAnnouncer& announcer, ClickPlayer& clicks, bool current) {
    std::string voice = "default";
    if (const auto chosen = announcer.voiceForSource().find(source.id);
        chosen != announcer.voiceForSource().end()) {
        const auto voices = announcer.availableVoices();
        const auto found = std::find_if(voices.begin(), voices.end(), [&](const Voice& v) {
            return v.identifier == chosen->second;
        });
        voice = cli::terminalSafe(found == voices.end() ? chosen->second : voiceLabel(*found));
    }
    char pan[16];
    std::snprintf(pan, sizeof pan, "%+.1f", static_cast<double>(clicks.pan(source.id)));
    return std::string(current ? "> " : "  ") +
           (view.midiManager().enabledSourceIDs().contains(source.id) ? "[on]  " : "[off] ") +
           cli::terminalSafe(source.name) + "  voice: " + voice + "  pan: " + pan + '\n';
}

} // namespace

TerminalMonitor::TerminalMonitor(ContentViewServices services, MonitorOptions options)
    : mainQueue_(services.mainQueue), scheduler_(services.scheduler), options_(std::move(options)),
      view_([&] {
          services.askForExportLocation = [this](ExportLocationAnswer answer) {
              mainQueue_.post(
                  [answer = std::move(answer), path = options_.exportPath] { answer(path); });
          };
          return std::move(services);
      }()) {
    viewSubscription_ = view_.observers().subscribe([this](ContentViewProperty property) {
        if (property == ContentViewProperty::sheet) {
            const bool devices = view_.showDeviceSettings();
            if (devices != (panel_ == Panel::devices))
                showPanel(devices ? Panel::devices : Panel::none);
        }
        changed();
    });
    visibleSubscription_ = view_.visibleChanges().subscribe([this](const VisibleChange& change) {
        if (options_.mode == DisplayMode::screen) return changed();
        if (change.reset || change.appended == 0) return;
        // What changed before these messages is told before them.
        appendChangedStatus(options_.mode == DisplayMode::json ? notes_ : out_);
        const auto messages = view_.visibleMessages();
        const auto count = std::min(change.appended, messages.size());
        for (auto it = messages.end() - static_cast<std::ptrdiff_t>(count); it != messages.end();
             ++it)
            options_.mode == DisplayMode::json
                ? appendMessageJSON(out_, *it)
                : appendMessageLine(out_, *it, sourceNames_,
                                    options_.time ? view_.arrivalTimes().sinceStartText(*it)
                                                  : std::string());
    });
    managerSubscription_ =
        view_.midiManager().observers().subscribe([this](MIDIManagerProperty property) {
            if (property == MIDIManagerProperty::availableSources && panel_ == Panel::devices &&
                options_.mode != DisplayMode::screen)
                note(panelText(panel_));
            if (property != MIDIManagerProperty::messages &&
                property != MIDIManagerProperty::lastMessageDate)
                changed();
        });
    announcerSubscription_ =
        view_.speechAnnouncer().observers().subscribe([this](SpeechAnnouncerProperty property) {
            if (property != SpeechAnnouncerProperty::isSpeaking) changed();
        });
    view_.contentAppeared();
    startStatus_ = statusItems(view_);
}

TerminalMonitor::~TerminalMonitor() = default;

void TerminalMonitor::changed() {
    statusChanged_ = true;
    if (options_.mode != DisplayMode::screen) return;
    screenDirty_ = true;
    if (frame_ || frameDue_) return;
    frame_ = scheduler_.defer(frameInterval, [this] {
        frame_.reset();
        frameDue_ = true;
    });
}

void TerminalMonitor::resize(TerminalSize size) {
    size_ = size;
    redraw();
}

void TerminalMonitor::redraw() {
    screenDirty_ = true;
    frameDue_ = true;
}

void TerminalMonitor::handleKey(const TerminalKey& key) {
    using Kind = TerminalKey::Kind;
    if (panel_ == Panel::devices && handleDeviceKey(key)) return;
    switch (key.kind) {
    case Kind::interrupt:
        quit_ = true;
        return;
    case Kind::up:
    case Kind::down:
        view_.handleKey(key.kind == Kind::up ? ArrowKey::up : ArrowKey::down);
        return;
    case Kind::enter:
        return runMonitorCommand('\r');
    case Kind::escape:
        return showPanel(Panel::none);
    case Kind::suspend:
        return; // the caller's
    case Kind::character:
        if (view_.handleKey(std::string_view(&key.character, 1)) == KeyResult::ignored)
            runMonitorCommand(key.character);
        return;
    }
}

void TerminalMonitor::runMonitorCommand(char key) {
    const auto found = std::find_if(monitorKeys.begin(), monitorKeys.end(),
                                    [key](const MonitorKey& entry) { return entry.key == key; });
    if (found == monitorKeys.end()) return;
    switch (found->command) {
    case MonitorCommand::quit:
        quit_ = true;
        return;
    case MonitorCommand::breakdown:
        return showPanel(panel_ == Panel::breakdown ? Panel::none : Panel::breakdown);
    case MonitorCommand::clear:
        view_.midiManager().clearMessages();
        if (options_.mode != DisplayMode::screen) note("Cleared\n");
        return;
    case MonitorCommand::bufferSize:
        return nextBufferSize();
    case MonitorCommand::help:
        return showPanel(panel_ == Panel::help ? Panel::none : Panel::help);
    }
}

void TerminalMonitor::nextBufferSize() {
    constexpr auto& sizes = MIDIManager::maxMessagesChoices;
    MIDIManager& manager = view_.midiManager();
    const auto found = std::find(sizes.begin(), sizes.end(), manager.maxMessages());
    manager.setMaxMessages(found == sizes.end() || found + 1 == sizes.end() ? sizes.front()
                                                                            : *(found + 1));
}

bool TerminalMonitor::handleDeviceKey(const TerminalKey& key) {
    // D closes the list in either case, as it opens it.
    const TerminalKey lowered = key.kind == TerminalKey::Kind::character && key.character == 'D'
                                    ? TerminalKey{TerminalKey::Kind::character, 'd'}
                                    : key;
    const auto found =
        std::find_if(deviceKeys.begin(), deviceKeys.end(),
                     [&lowered](const DeviceKey& entry) { return entry.key == lowered; });
    if (found == deviceKeys.end()) return false;
    const auto& sources = view_.midiManager().availableSources();
    if (found->command == DeviceCommand::close || sources.empty()) {
        if (found->command == DeviceCommand::close) view_.closeSheet(Sheet::deviceSettings);
        return found->command == DeviceCommand::close;
    }
    deviceCursor_ = std::min(deviceCursor_, sources.size() - 1);
    const std::int32_t id = sources[deviceCursor_].id;
    MIDIManager& manager = view_.midiManager();
    SpeechAnnouncer& announcer = view_.speechAnnouncer();
    ClickPlayer& clicks = view_.clickPlayer();
    const auto movePan = [&](float step) {
        const float pan = std::round((clicks.pan(id) + step) * 10.0F) / 10.0F;
        clicks.setPan(id, std::clamp(pan, -1.0F, 1.0F));
    };
    switch (found->command) {
    case DeviceCommand::close:
        break;
    case DeviceCommand::previous:
        if (deviceCursor_ > 0) --deviceCursor_;
        break;
    case DeviceCommand::next:
        if (deviceCursor_ + 1 < sources.size()) ++deviceCursor_;
        break;
    case DeviceCommand::toggle:
        manager.setSourceEnabled(id, !manager.enabledSourceIDs().contains(id));
        break;
    case DeviceCommand::nextVoice: {
        // The voices in the picker's order, then the default voice again.
        const auto voices = announcer.availableVoices();
        const auto current = announcer.voiceForSource().find(id);
        auto next = voices.begin();
        if (current != announcer.voiceForSource().end()) {
            next = std::find_if(voices.begin(), voices.end(), [&](const Voice& voice) {
                return voice.identifier == current->second;
            });
            if (next != voices.end()) ++next;
        }
        announcer.setVoiceForSource(id, next == voices.end() ? std::nullopt
                                                             : std::optional(next->identifier));
        break;
    }
    case DeviceCommand::panLeft:
        movePan(-panStep);
        break;
    case DeviceCommand::panRight:
        movePan(panStep);
        break;
    }
    if (options_.mode == DisplayMode::screen)
        changed();
    else
        note(sourceLine(view_, sources[deviceCursor_], announcer, clicks, true));
    return true;
}

void TerminalMonitor::showPanel(Panel panel) {
    if (panel_ == Panel::devices && panel != Panel::devices && view_.showDeviceSettings())
        view_.closeSheet(Sheet::deviceSettings);
    if (options_.mode == DisplayMode::screen) {
        panel_ = panel;
        return changed();
    }
    // Printed once; only the device list stays open for its keys.
    panel_ = panel == Panel::devices ? panel : Panel::none;
    if (panel != Panel::none) note(panelText(panel));
}

std::string TerminalMonitor::panelText(Panel panel) {
    switch (panel) {
    case Panel::none:
        return {};
    case Panel::help:
        return helpText();
    case Panel::breakdown:
        return newestBreakdownText(view_);
    case Panel::devices: {
        const auto& sources = view_.midiManager().availableSources();
        if (sources.empty()) return "Devices: no sources\n";
        std::string text = "Devices:\n";
        for (std::size_t i = 0; i < sources.size(); ++i)
            text += sourceLine(view_, sources[i], view_.speechAnnouncer(), view_.clickPlayer(),
                               i == deviceCursor_);
        return text;
    }
    }
    return {};
}

void TerminalMonitor::note(const std::string& text) {
    (options_.mode == DisplayMode::json ? notes_ : out_) += text;
}

void TerminalMonitor::appendChangedStatus(std::string& out) {
    if (!std::exchange(statusChanged_, false)) return;
    auto items = statusItems(view_);
    if (shownStatus_.empty()) {
        out += "Monitor started, press ? for the keys. ";
        for (const auto& item : items)
            if (!item.busy) out += std::string(item.name) + ": " + item.value + "; ";
        out.replace(out.size() - 2, 2, "\n");
    } else {
        for (const auto& item : items) {
            const auto before =
                std::find_if(shownStatus_.begin(), shownStatus_.end(),
                             [&](const StatusItem& shown) { return shown.name == item.name; });
            if (!item.busy && (before == shownStatus_.end() || before->value != item.value))
                out += std::string(item.name) + ": " + item.value + '\n';
        }
    }
    shownStatus_ = std::move(items);
}

void TerminalMonitor::drawScreen(std::string& out) {
    out += "\x1b[H";
    const auto rows = static_cast<std::size_t>(std::max(size_.rows, 2) - 1);
    const auto width = static_cast<std::size_t>(std::max(size_.columns, 10) - 1);
    std::vector<std::string_view> lines;
    const std::string panel = panelText(panel_);
    if (panel_ != Panel::none) {
        std::string_view rest = panel;
        while (!rest.empty() && lines.size() < rows) {
            const auto end = rest.find('\n');
            lines.push_back(rest.substr(0, end));
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        }
    }
    const auto messages = view_.visibleMessages();
    const std::size_t shown = panel_ != Panel::none ? 0 : std::min(rows, messages.size());
    const std::size_t blank = rows - (panel_ != Panel::none ? lines.size() : shown);
    for (const auto line : lines) {
        std::size_t columns = width;
        appendFitted(out, line, columns);
        out += clearToEnd;
        out += "\r\n";
    }
    for (auto it = messages.end() - static_cast<std::ptrdiff_t>(shown); it != messages.end();
         ++it) {
        const MIDIMessage& message = *it;
        std::size_t columns = width;
        if (options_.time)
            appendFitted(out, view_.arrivalTimes().sinceStartText(message) + "  ", columns);
        appendFitted(out, std::to_string(message.sequenceNumber) + "  ", columns);
        if (options_.colour) out += colourOf(message.messageType);
        appendFitted(out, hexString(message), columns);
        if (options_.colour) out += plainColour;
        appendFitted(out, "  " + std::string(displayName(message.messageType)) + "  ", columns);
        appendFitted(out, cli::terminalSafe(message.description), columns);
        appendFitted(out, "  (" + sourceNames_.of(message) + ")", columns);
        out += clearToEnd;
        out += "\r\n";
    }
    for (std::size_t i = 0; i < blank; ++i) {
        out += clearToEnd;
        out += "\r\n";
    }
    // The first items always, the others while they differ from where they started.
    constexpr std::size_t alwaysShown = 3; // sources, messages, narration
    std::string status;
    const auto items = statusItems(view_);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool asStarted = i < startStatus_.size() && startStatus_[i].name == items[i].name &&
                               startStatus_[i].value == items[i].value;
        if (i < alwaysShown || !asStarted)
            status += std::string(items[i].name) + ": " + items[i].value + "  ";
    }
    if (options_.colour) out += statusColour;
    std::size_t columns = width;
    appendFitted(out, status, columns);
    out += clearToEnd;
    if (options_.colour) out += plainColour;
}

void TerminalMonitor::takeOutput(std::string& out, std::string& notes) {
    if (options_.mode == DisplayMode::screen) {
        if (frameDue_ && screenDirty_) {
            drawScreen(out);
            screenDirty_ = false;
            frameDue_ = false;
        }
        return;
    }
    appendChangedStatus(options_.mode == DisplayMode::json ? notes : out_);
    out += out_;
    out_.clear();
    notes += notes_;
    notes_.clear();
}

} // namespace umbrascope::terminal
