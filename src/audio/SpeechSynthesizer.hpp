#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace umbrascope {

struct Voice {
    std::string identifier;
    std::string name;
    std::string language;     // a language code such as "en-us"
    std::string variant = {}; // empty for a voice itself; set for one of its variants
};

// What an utterance is to the user. A synthesizer shared with a screen reader ranks them against
// the screen reader's own speech; one of its own may ignore it.
enum class UtteranceKind : std::uint8_t {
    confirmation, // the answer to the user's own key or control
    reading,      // a reading the user asked for: the guide, a breakdown, the catch-up
    announcement, // a new message, or a problem met on the way
    heading,      // the name of a sheet the user opened, which a screen reader reads itself
};

// What a synthesizer is asked to say. Rate, volume and voice are fixed when it is built; `id`
// is its identity, so two utterances of the same text are still told apart.
struct Utterance {
    std::uint64_t id = 0;
    std::string text;
    float rate = 0.5f;                          // 0.0 slowest .. 1.0 fastest
    float volume = 1.0f;                        // 0.0 .. 1.0
    std::optional<std::string> voiceIdentifier; // none: the synthesizer's default voice
    UtteranceKind kind = UtteranceKind::confirmation;
};

// `failed` ends an utterance the backend took but could not say, such as one a daemon without an
// audio output begins and never finishes.
enum class SpeechReport : std::uint8_t { started, finished, cancelled, failed };

// A platform speech synthesizer. Calls never block the caller for longer than a queue push. Every
// utterance handed to speak() ends with exactly one finished, cancelled or failed report, also
// when the backend fails, so a caller waiting for the end is never stuck.
class SpeechSynthesizer {
public:
    // Called on any thread, in order for one utterance: started at most once, then one end.
    using ReportHandler = std::function<void(std::uint64_t utteranceID, SpeechReport)>;

    virtual ~SpeechSynthesizer() = default;

    // Set before the first speak().
    void setReportHandler(ReportHandler handler) { handler_ = std::move(handler); }
    // Called on any thread when voices() has changed, such as a list that arrives after start.
    // A synthesizer whose list never changes never calls it.
    using VoicesHandler = std::function<void()>;
    virtual void setVoicesHandler(VoicesHandler) {}

    virtual void speak(const Utterance& utterance) = 0;
    // Cuts off the current utterance and drops the ones handed over before this call.
    virtual void stopSpeaking() = 0;
    virtual std::vector<Voice> voices() const = 0;
    virtual bool hasVoice(const std::string& identifier) const = 0;

    // Why the last utterance reported failed was not said, for the user; empty when unknown.
    virtual std::string failureReason() const { return {}; }

    virtual float minimumRate() const { return 0.0f; }
    virtual float maximumRate() const { return 1.0f; }
    virtual float defaultRate() const { return 0.5f; }

protected:
    void report(std::uint64_t utteranceID, SpeechReport kind) const {
        if (handler_) handler_(utteranceID, kind);
    }

private:
    ReportHandler handler_;
};

} // namespace umbrascope
