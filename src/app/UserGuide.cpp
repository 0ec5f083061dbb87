#include "app/UserGuide.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "app/AppInfo.hpp"
#include "app/KeyCommands.hpp"

namespace umbrascope {

namespace {

constexpr std::string_view writtenOpening =
    "Umbrascope shows every MIDI message your computer receives, in real time, decoded into plain "
    "English and colour-coded by UMP (Universal MIDI Packet) message type. Nearly every command "
    "has a single key and is confirmed by speech, so the monitor works without looking at the "
    "screen.\n"
    "\n"
    "GETTING STARTED\n"
    "\n"
    "• Connect a MIDI 1.0 or MIDI 2.0 device, or start a program that sends MIDI. Umbrascope "
    "listens to every MIDI source of the system's ALSA sequencer, also those that appear later. "
    "Channel voice messages that arrive as MIDI 1.0 are shown as the MIDI 2.0 messages they "
    "translate to.\n"
    "\n"
    "• The legend row names the 8 message types in their colours. Uncheck a type to hide its "
    "messages, check it to show them again; keys 1 to 8 do the same.\n"
    "\n"
    "• The filter switches hide Active Sensing, MIDI Clock, and messages from sources that are "
    "not UMP-native. A filter also hides matching messages already in the list.\n"
    "\n"
    "• The Channel and Group pickers beside them show the messages of one MIDI channel or one "
    "group only; Alt+C and Alt+G move to them, then the arrow keys choose. Messages without a "
    "channel (system, SysEx, group-wide Flex Data) or without a group (utility, UMP Stream) "
    "always show. These pickers only hide: All channels or All groups shows everything again.\n"
    "\n"
    "• MIDI 1.0 Protocol Only, or the L key, shows what a MIDI 1.0-only application would receive "
    "from the system's MIDI sources: MIDI 2.0 channel voice messages arrive converted to MIDI "
    "1.0, and what a MIDI 1.0 port cannot receive is left out. (Messages already in the buffer "
    "stay; press Clear first for a clean comparison.)\n"
    "\n"
    "• Speech: choose TTS Short or TTS Verbose to hear each new message, spoken through "
    "speech-dispatcher, or eSpeak NG when that is not available. While speech is busy, new "
    "messages are dropped rather than queued. With Last Interrupts on, each new message cuts in "
    "at once: you hear the latest, but a fast stream leaves only fragments.\n"
    "\n"
    "• Tick on Message plays a short click for every new message, even while speech is busy; each "
    "device clicks from its own stereo position.\n"
    "\n"
    "• R speaks a quick catch-up of the last 10 seconds: at most the 10 most recent messages, "
    "always in the short wording (even if TTS is set to Verbose or off).\n"
    "\n"
    "• Pause, or P, holds the list still: no new rows, and no speech or ticks for new messages. "
    "What arrives meanwhile is still received into the buffer and counted (\"Paused, 1,204 "
    "new\" in the header). P again resumes, says how many arrived and shows them. While paused, "
    "Export CSV, the catch-up, M and the breakdowns work on the list as it was paused.\n"
    "\n"
    "• Each row shows when its message arrived, in seconds since the monitor started, to the "
    "millisecond (12.345); the View menu shows the time of day instead (14:03:07.123). A "
    "message's breakdown, and its reading aloud, say when it arrived too.\n"
    "\n"
    "• The Buffer menu (top right) keeps 500, 1000 or 5000 messages; when full, the oldest are "
    "discarded.\n"
    "\n"
    "• Export CSV, or E, saves the buffer as a CSV file: source device, raw hex, TTS Short text "
    "and TTS Verbose text, one row per message.\n"
    "\n"
    "• Ctrl+C copies the hex words of the current message, or of the messages selected with "
    "Shift and the arrow keys (or Shift- and Ctrl-click), one line per message; Ctrl+Shift+C "
    "copies their descriptions and field breakdowns. Both are in the Edit menu.\n"
    "\n"
    "• Save Capture in the File menu, or Ctrl+S, saves the buffer as a capture file (.ump) that "
    "keeps the time between the messages. Open Capture, or Ctrl+O, adds a capture file as a "
    "source that plays once, at the pace it was recorded at, or as fast as the window takes it "
    "with Play at once checked; it is listed under Devices like any other source. A capture file "
    "names one source: the messages of other sources are saved in it too, and play back under "
    "the first one's name.\n"
    "\n"
    "• The Devices button (top right), or D, lists the sources: turn each on or off, choose the "
    "English voice that speaks it, and place its click in the stereo field.\n"
    "\n"
    "• The More button of a message opens its field-by-field breakdown, with the bit width and "
    "meaning of every field. Per-note attribute types and data are decoded by profile (Orchestral "
    "Articulation, Piano and Drums Profiles).\n"
    "\n"
    "KEYBOARD SHORTCUTS\n"
    "\n";

// After the shortcut list.
constexpr std::string_view writtenClosing =
    "\n"
    "\n"
    "The User Guide button at the bottom left of the main window opens this window. Read Guide "
    "Aloud does the same as G, and the Read More Aloud button of a message's breakdown does the "
    "same as M.";

// Rewritten for the ear from the text above, in the same order: abbreviations spelled as they
// are said, versions as numbers, no symbols, dashes or screen positions; the G line and the
// paragraph on the window's buttons are left out, since the listener is already being read to.
constexpr std::string_view spokenText =
    "Umbrascope shows every MIDI message your computer receives, in real time, decoded into plain "
    "English and colour-coded by Universal MIDI Packet, U. M. Pea, message type. Nearly every "
    "command has a single key and is confirmed by speech, so the monitor works without looking at "
    "the screen. Getting started: Connect a MIDI 1 point 0 or MIDI 2 point 0 device, or start a "
    "program that sends MIDI. Umbrascope listens to every MIDI source of the system's ALSA "
    "sequencer, also those that appear later. Channel voice messages that arrive as MIDI 1 point "
    "0 are shown as the MIDI 2 point 0 messages they translate to. The legend row names the 8 "
    "message types in their colours. Uncheck a type to hide its messages, check it to show them "
    "again; keys 1 to 8 do the same. The filter switches hide Active Sensing, MIDI Clock, and "
    "messages from sources that are not U. M. Pea native. A filter also hides matching messages "
    "already in the list. The Channel and Group pickers show the messages of one MIDI channel or "
    "one group only: press Alt C or Alt G, then choose with the arrow keys. Messages without a "
    "channel or without a group always show, and All channels or All groups shows everything "
    "again. MIDI 1 point 0 Protocol Only, or the L key, shows what a MIDI 1 point 0 "
    "only application would receive from the system's MIDI sources: MIDI 2 point 0 channel voice "
    "messages arrive converted to MIDI 1 point 0, and what a MIDI 1 point 0 port cannot receive "
    "is left out. Speech: choose TTS Short or TTS Verbose to hear each new message, spoken "
    "through speech-dispatcher, or eSpeak NG when that is not available. While speech is busy, "
    "new messages are dropped rather than queued. With Last Interrupts on, each new message cuts "
    "in at once; you hear the latest, but a fast stream leaves only fragments. Tick on Message "
    "plays a short click for every new message, even while speech is busy; each device clicks "
    "from its own stereo position. R speaks a quick catch-up of the last 10 seconds, at most the "
    "10 most recent messages, always in the short wording. Pause, or P, holds the list still: no "
    "new rows, and no speech or ticks for new messages. What arrives meanwhile is still received "
    "and counted. P again resumes, says how many arrived and shows them. While paused, export, "
    "the catch-up, M and the breakdowns work on the list as it was paused. Each row shows when "
    "its message arrived, in seconds since the monitor started, to the millisecond; the View "
    "menu shows the time of day instead. A message's breakdown says when it arrived too. The "
    "Buffer menu keeps 500, 1000 or "
    "5000 messages; when full, the oldest are discarded. Export C. S. V., or E, saves the buffer "
    "as a C. S. V. file, with source device, raw hex, TTS Short text and TTS Verbose text, one "
    "row per message. Control C copies the hex words of the current message, or of the messages "
    "selected with Shift and the arrow keys, one line per message; Control Shift C copies their "
    "descriptions and field breakdowns. Save Capture in the File menu, or Control S, saves the "
    "buffer as a capture file that keeps the time between the messages. Open Capture, or Control "
    "O, adds a capture file as a source that plays once, at the pace it was recorded at, or as "
    "fast as the window takes it with Play at once checked; it is listed under Devices like any "
    "other source. A capture file names one source: the messages of other sources are saved in "
    "it too, and play back under the first one's name. The Devices button, or D, lists the "
    "sources: turn each on or off, choose the English voice that speaks it, and place its click "
    "in the stereo field. The More button of a message opens its field by field breakdown, with "
    "the bit width and meaning of every field. Per-note attribute types and data are decoded by "
    "profile. Keyboard shortcuts:";

std::string writtenKey(const KeyCommandEntry& entry) {
    return entry.written.empty() ? std::string(1, upperCase(entry.characters.front()))
                                 : std::string(entry.written);
}

// One line per key, or per keys that share a line: the keys joined by three spaces, three
// spaces, the line.
std::string writtenShortcuts() {
    std::string text;
    for (auto entry = keyCommands.begin(); entry != keyCommands.end(); ++entry) {
        if (entry->guideLine.empty()) continue;
        if (!text.empty()) text += '\n';
        text += writtenKey(*entry);
        for (auto next = entry + 1; next != keyCommands.end() && next->guideLine.empty(); ++next)
            text += "   " + writtenKey(*next);
        text.append("   ").append(entry->guideLine);
    }
    return text;
}

std::string spokenShortcuts() {
    std::string text;
    for (const KeyCommandEntry& entry : keyCommands)
        if (!entry.spokenLine.empty()) text.append(" ").append(entry.spokenLine);
    return text;
}

} // namespace

const std::string& writtenGuide() {
    static const std::string text =
        std::string(writtenOpening) + writtenShortcuts() + std::string(writtenClosing);
    return text;
}

const std::string& spokenGuideBody() {
    static const std::string body = std::string(spokenText) + spokenShortcuts() +
                                    " Umbrascope's web site is at " +
                                    spokenWebAddress(homepageURL()) + ".";
    return body;
}

std::string guideReadingText(bool guideSheetOpen) {
    std::string text(guideSheetOpen ? guideSheetStopHint : guideKeyStopHint);
    text += ' ';
    text += spokenGuideBody();
    return text;
}

std::string spokenWebAddress(std::string_view url) {
    for (const std::string_view prefix : {"https://", "http://", "www."}) {
        if (url.starts_with(prefix)) url.remove_prefix(prefix.size());
    }
    while (url.ends_with('/'))
        url.remove_suffix(1);

    static constexpr std::array<std::pair<char, std::string_view>, 4> said{
        {{'.', " dot "}, {'/', " slash "}, {'-', " dash "}, {'_', " underscore "}}};
    std::string text;
    for (const char c : url) {
        const auto* word = std::find_if(said.begin(), said.end(),
                                        [c](const auto& entry) { return entry.first == c; });
        if (word == said.end()) {
            text += c;
        } else {
            text += word->second;
        }
    }
    return text;
}

} // namespace umbrascope
