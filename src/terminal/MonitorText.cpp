#include "terminal/MonitorText.hpp"

#include <chrono>
#include <cstdio>
#include <optional>

#include "app/SettingSwitches.hpp"
#include "breakdown/BreakdownRows.hpp"
#include "cli/BreakdownOutput.hpp"
#include "cli/Json.hpp"
#include "cli/TerminalText.hpp"
#include "text/Formatters.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope::terminal {

namespace {

std::string utcTime(WallTime time) {
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(time.time_since_epoch()).count();
    const auto days = floor<std::chrono::days>(sys_time<milliseconds>(milliseconds(millis)));
    const year_month_day date{days};
    const auto ofDay = millis - duration_cast<milliseconds>(days.time_since_epoch()).count();
    char text[128]; // room for any value the compiler can imagine in the fields
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long long>(ofDay / 3'600'000),
                  static_cast<long long>(ofDay / 60'000 % 60),
                  static_cast<long long>(ofDay / 1000 % 60), static_cast<long long>(ofDay % 1000));
    return text;
}

std::string onOff(bool on) {
    return on ? "On" : "Off";
}

std::string hiddenTypes(const MIDIManager& manager) {
    std::string text;
    for (const UMPMessageType type : legendOrder)
        if (manager.hiddenMessageTypes().contains(type)) {
            if (!text.empty()) text += ", ";
            text += displayName(type);
        }
    return text.empty() ? "none" : text;
}

std::string percent(float value) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", static_cast<double>(value) * 100.0);
    return text;
}

} // namespace

const std::string& SafeSourceName::of(const MIDIMessage& message) {
    if (message.sourceNameStorage != name_ || !name_) {
        name_ = message.sourceNameStorage;
        safe_ = cli::terminalSafe(message.sourceName());
    }
    return safe_;
}

void appendMessageLine(std::string& out, const MIDIMessage& message, SafeSourceName& names,
                       std::string_view time) {
    if (!time.empty()) {
        out += time;
        out += '\t';
    }
    out += std::to_string(message.sequenceNumber);
    out += '\t';
    out += names.of(message);
    out += '\t';
    out += hexString(message);
    out += '\t';
    out += displayName(message.messageType);
    out += '\t';
    cli::appendTerminalSafe(out, message.description);
    out += '\n';
}

void appendMessageJSON(std::string& out, const MIDIMessage& message) {
    cli::JSONWriter json(out);
    json.beginObject();
    json.member("sequenceNumber", message.sequenceNumber);
    json.member("time", utcTime(message.timestamp));
    json.member("sourceID", static_cast<std::int64_t>(message.sourceID));
    json.member("source", message.sourceName());
    json.key("words").beginArray();
    for (const std::uint32_t word : message.words)
        json.value(hexString(std::span(&word, 1)));
    json.endArray();
    json.member("type", caseName(message.messageType));
    json.member("displayName", displayName(message.messageType));
    json.member("hex", hexString(message));
    json.member("description", message.description);
    for (const TTSLevel level : {TTSLevel::short_, TTSLevel::verbose}) {
        std::optional<RunningVoiceStatus> none;
        json.key(level == TTSLevel::short_ ? "short" : "verbose");
        if (const auto text = spokenText(message, level, none))
            json.value(*text);
        else
            json.null();
    }
    json.endObject();
    out += '\n';
}

std::vector<StatusItem> statusItems(ContentView& view) {
    const MIDIManager& manager = view.midiManager();
    std::string sources;
    for (const auto& name : manager.connectedSources())
        sources += (sources.empty() ? "" : ", ") + cli::terminalSafe(name);
    const SpeechAnnouncer& announcer = view.speechAnnouncer();
    std::vector<StatusItem> items{
        {"Sources", sources.empty() ? "none" : sources},
        {"Messages", std::to_string(view.visibleMessages().size()), true},
        {"Narration", std::string(rawValue(view.ttsLevel()))},
        {"Hidden", hiddenTypes(manager)},
        {"Paused", view.isPaused() ? "Yes" : "No"},
    };
    // What arrives while paused: counted with every batch, so not told again line by line.
    if (view.isPaused()) items.push_back({"New", groupedNumber(view.newWhilePaused()), true});
    // The switches under the window's own labels.
    for (const SettingSwitchEntry& entry : settingSwitches)
        items.push_back({entry.label, onOff(entry.get(view))});
    items.insert(items.end(), {
                                  {"Rate", percent(announcer.rate())},
                                  {"Volume", percent(announcer.volume())},
                                  {"Buffer Size", std::to_string(manager.maxMessages())},
                                  {"Buffer Full", manager.isBufferFull() ? "Yes" : "No"},
                                  {"Idle", view.isIdle() ? "Yes" : "No", true},
                              });
    if (const std::string notice = view.notice(); !notice.empty())
        items.push_back({"Notice", cli::terminalSafe(notice)});
    return items;
}

std::string newestBreakdownText(const ContentView& view) {
    const auto messages = view.visibleMessages();
    if (messages.empty()) return "No message to break down\n";
    const MIDIMessage& newest = messages.back();
    std::string text = "Breakdown of ";
    SafeSourceName name;
    appendMessageLine(text, newest, name);
    text += view.arrivalTimes().sentence(newest);
    text += '\n';
    text += cli::breakdownPlainLines(breakdownRows(newest));
    return text;
}

} // namespace umbrascope::terminal
