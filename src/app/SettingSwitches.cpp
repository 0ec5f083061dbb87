#include "app/SettingSwitches.hpp"

#include "app/ContentView.hpp"

namespace umbrascope::switch_access {

bool hideActiveSensing(const ContentView& view) {
    return view.midiManager().hideActiveSensing();
}
void setHideActiveSensing(ContentView& view, bool on) {
    view.midiManager().setHideActiveSensing(on);
}
bool hideMidiClock(const ContentView& view) {
    return view.midiManager().hideMidiClock();
}
void setHideMidiClock(ContentView& view, bool on) {
    view.midiManager().setHideMidiClock(on);
}
bool onlyUMPSources(const ContentView& view) {
    return view.midiManager().onlyUMPSources();
}
void setOnlyUMPSources(ContentView& view, bool on) {
    view.midiManager().setOnlyUMPSources(on);
}
bool midi1ProtocolOnly(const ContentView& view) {
    return view.midiManager().midi1ProtocolOnly();
}
void setMIDI1ProtocolOnly(ContentView& view, bool on) {
    view.midiManager().setMIDI1ProtocolOnly(on);
}
bool clickOnMessage(const ContentView& view) {
    return view.clickOnMessage();
}
void setClickOnMessage(ContentView& view, bool on) {
    view.setClickOnMessage(on);
}
bool lastInterrupts(const ContentView& view) {
    return view.lastInterrupts();
}
void setLastInterrupts(ContentView& view, bool on) {
    view.setLastInterrupts(on);
}

} // namespace umbrascope::switch_access

namespace umbrascope {

std::string switchHint(const SettingSwitchEntry& entry) {
    std::string hint = "Keyboard shortcut ";
    hint += upperCase(entry.key);
    if (!entry.hint.empty()) hint.append(". ").append(entry.hint);
    return hint;
}

} // namespace umbrascope
