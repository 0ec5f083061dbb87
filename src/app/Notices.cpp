#include "app/Notices.hpp"

#include <utility>

namespace umbrascope {

std::string Notices::line(std::uint64_t inputOverruns) const {
    std::string text = midiNotice_;
    if (inputOverruns > 0)
        text += std::string(text.empty() ? "" : "; ") +
                (inputOverruns == 1 ? "Incoming MIDI was lost once (input overrun)"
                                    : "Incoming MIDI was lost " + std::to_string(inputOverruns) +
                                          " times (input overruns)");
    if (!speechNotice_.empty()) text += (text.empty() ? "" : "; ") + speechNotice_;
    if (!fileNotice_.empty()) text += (text.empty() ? "" : "; ") + fileNotice_;
    return text;
}

const std::string& Notices::showSpeechNotice(std::string text) {
    speechNotice_ = std::move(text);
    return speechNotice_;
}

const std::string& Notices::showFileNotice(std::string text) {
    fileNotice_ = std::move(text);
    return fileNotice_;
}

const std::string& Notices::showMIDINotice(std::string text, bool narrationOn) {
    midiNotice_ = std::move(text);
    midiNoticeSaid_ = narrationOn;
    return midiNotice_;
}

std::optional<std::string> Notices::takeUnsaidMIDINotice() {
    if (midiNotice_.empty() || midiNoticeSaid_) return std::nullopt;
    midiNoticeSaid_ = true;
    return midiNotice_;
}

std::optional<std::string> Notices::inputOverran(MonoTime now) {
    if (overrunSaid_ && now - *overrunSaid_ < overrunSpeechInterval) return std::nullopt;
    overrunSaid_ = now;
    return std::string(overrunSpeech);
}

} // namespace umbrascope
