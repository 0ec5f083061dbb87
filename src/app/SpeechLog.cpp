#include "app/SpeechLog.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "core/Hex.hpp"

namespace umbrascope {

namespace {

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            hex::append(out, byte, 2);
        } else {
            out += c; // UTF-8 passes through whole
        }
    }
    return out + '"';
}

} // namespace

SpeechLog::SpeechLog(SpeechAnnouncer& announcer, std::ostream& out, const Clock& clock,
                     std::function<void()> writeFailed)
    : out_(out), clock_(clock), start_(clock.monotonicNow()), writeFailed_(std::move(writeFailed)) {
    subscription_ = announcer.utteranceEvents().subscribe(
        [this](const UtteranceEvent& event) { heard(event); });
}

SpeechLog::~SpeechLog() {
    const MonoTime now = clock_.monotonicNow();
    for (const auto& p : pending_)
        write(now, "cut-off", p.utterance, p.sourceID);
}

void SpeechLog::heard(const UtteranceEvent& event) {
    using Kind = UtteranceEvent::Kind;
    const MonoTime now = clock_.monotonicNow();
    switch (event.kind) {
    case Kind::handedOver:
        pending_.push_back({event.utterance, event.sourceID});
        write(now, "handed-over", event.utterance, event.sourceID);
        return;
    case Kind::droppedBusy:
        write(now, "dropped-busy", event.utterance, event.sourceID);
        return;
    case Kind::spoken:
    case Kind::cutOff:
    case Kind::failed: {
        const auto found = std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) {
            return p.utterance.id == event.utterance.id;
        });
        if (found == pending_.end()) return;
        const std::string why =
            event.kind == Kind::spoken && whyUnheard_ ? whyUnheard_() : std::string();
        write(now,
              event.kind == Kind::spoken   ? (why.empty() ? "spoken" : "unheard")
              : event.kind == Kind::failed ? "failed"
                                           : "cut-off",
              found->utterance, found->sourceID, why);
        pending_.erase(found);
        return;
    }
    }
}

void SpeechLog::write(MonoTime when, std::string_view outcome, const Utterance& utterance,
                      std::optional<std::int32_t> sourceID, std::string_view why) {
    const double seconds = std::chrono::duration<double>(when - start_).count();
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%.3f", seconds);
    std::string line = numbers;
    line += ' ';
    line += outcome;
    line += " source=";
    line += sourceID ? std::to_string(*sourceID) : "-";
    line += " voice=";
    line += utterance.voiceIdentifier ? quoted(*utterance.voiceIdentifier) : "default";
    std::snprintf(numbers, sizeof numbers, " rate=%.2f volume=%.2f ",
                  static_cast<double>(utterance.rate), static_cast<double>(utterance.volume));
    line += numbers;
    line += quoted(utterance.text);
    if (!why.empty()) line += " why=" + quoted(why);
    out_ << line << '\n' << std::flush;
    if (!out_ && writeFailed_) std::exchange(writeFailed_, nullptr)();
}

} // namespace umbrascope
