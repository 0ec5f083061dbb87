#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace umbrascope {

class ContentView;

// The on/off settings the user meets as a check box, a key, an announcement, a line of the guide
// and (some) a replay option. Every one of those reads this table.
enum class SettingSwitch {
    hideActiveSensing,
    hideMidiClock,
    onlyUMPSources,
    midi1ProtocolOnly,
    lastInterrupts,
    clickOnMessage,
};
inline constexpr std::size_t settingSwitchCount = 6;

// Where the window shows the check box.
enum class SwitchRow { filters, speech };

struct SettingSwitchEntry {
    SettingSwitch setting;
    char key; // lower case
    SwitchRow row;
    std::string_view label;
    std::string_view hint; // after "Keyboard shortcut K", when not empty
    std::string_view tooltip;
    // Said when the value changes: spokenName, then whenOn or whenOff. The hide switches speak
    // of what is heard: hiding Active Sensing turns it "Off".
    std::string_view spokenName;
    std::string_view whenOn;
    std::string_view whenOff;
    std::string_view replayOption; // the flag that starts a replay with it on; empty: none
    std::string_view replayHelp;   // the flag's line of the replay usage
    bool (*get)(const ContentView&);
    void (*set)(ContentView&, bool);
};

namespace switch_access {
bool hideActiveSensing(const ContentView& view);
void setHideActiveSensing(ContentView& view, bool on);
bool hideMidiClock(const ContentView& view);
void setHideMidiClock(ContentView& view, bool on);
bool onlyUMPSources(const ContentView& view);
void setOnlyUMPSources(ContentView& view, bool on);
bool midi1ProtocolOnly(const ContentView& view);
void setMIDI1ProtocolOnly(ContentView& view, bool on);
bool clickOnMessage(const ContentView& view);
void setClickOnMessage(ContentView& view, bool on);
bool lastInterrupts(const ContentView& view);
void setLastInterrupts(ContentView& view, bool on);
} // namespace switch_access

// Indexed by SettingSwitch; the window shows each row's boxes in this order.
inline constexpr std::array<SettingSwitchEntry, settingSwitchCount> settingSwitches{{
    {SettingSwitch::hideActiveSensing, 's', SwitchRow::filters, "No Active Sensing", "", "",
     "Active Sensing ", "Off", "On", "--no-active-sensing", "drop Active Sensing",
     &switch_access::hideActiveSensing, &switch_access::setHideActiveSensing},
    {SettingSwitch::hideMidiClock, 'c', SwitchRow::filters, "No MIDI Clock", "", "", "MIDI Clock ",
     "Off", "On", "--no-clock", "drop Timing Clock", &switch_access::hideMidiClock,
     &switch_access::setHideMidiClock},
    {SettingSwitch::onlyUMPSources, 'u', SwitchRow::filters, "Only UMP-Native Connections", "", "",
     "Only U. M. Pea-Native Connections ", "On", "Off", "--only-ump",
     "keep only native UMP sources", &switch_access::onlyUMPSources,
     &switch_access::setOnlyUMPSources},
    {SettingSwitch::midi1ProtocolOnly, 'l', SwitchRow::filters, "MIDI 1.0 Protocol Only", "",
     "Receive as a MIDI 1.0-only app would: MIDI 2.0 messages are converted to MIDI 1.0 before "
     "they arrive",
     "MIDI 1 point 0 Protocol Only ", "On", "Off", "", "", &switch_access::midi1ProtocolOnly,
     &switch_access::setMIDI1ProtocolOnly},
    {SettingSwitch::lastInterrupts, 'i', SwitchRow::speech, "Last Interrupts",
     "When on, every new message interrupts whatever's currently speaking instead of being "
     "dropped while busy",
     "", "Last Interrupts ", "On", "Off", "", "", &switch_access::lastInterrupts,
     &switch_access::setLastInterrupts},
    {SettingSwitch::clickOnMessage, 'k', SwitchRow::speech, "Tick on Message",
     "Plays a short tick for every new message — useful while speech is busy reading another "
     "and can't announce it",
     "", "Tick on Message ", "On", "Off", "--ticks",
     "click for every new message, panned per source", &switch_access::clickOnMessage,
     &switch_access::setClickOnMessage},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < settingSwitches.size(); ++i)
            // Not the accessors: GCC's UBSan build cannot compare them with null at compile time,
            // and the key tests call every one.
            if (static_cast<std::size_t>(settingSwitches[i].setting) != i ||
                settingSwitches[i].key == 0 ||
                settingSwitches[i].replayOption.empty() != settingSwitches[i].replayHelp.empty())
                return false;
        return true;
    }(),
    "one complete entry per setting, in SettingSwitch order");

constexpr const SettingSwitchEntry& entryFor(SettingSwitch setting) {
    return settingSwitches[static_cast<std::size_t>(setting)];
}

// The check box's accessibility hint: "Keyboard shortcut S", then the entry's hint.
std::string switchHint(const SettingSwitchEntry& entry);

} // namespace umbrascope
