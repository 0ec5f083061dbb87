#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope::testing_support {

// Records what it is asked to do; reports only when a test tells it to. The log is shared so a
// test keeps reading it after the announcer has taken ownership of the fake.
class FakeSpeechSynthesizer final : public SpeechSynthesizer {
public:
    struct Call {
        enum class Kind { speak, stop } kind;
        Utterance utterance; // empty for stop
    };
    struct Log {
        std::vector<Call> calls;
        std::vector<Voice> voices;
        std::string failureReason;
        FakeSpeechSynthesizer* synthesizer = nullptr;
        VoicesHandler voicesHandler;

        std::vector<std::string> spokenTexts() const {
            std::vector<std::string> texts;
            for (const auto& call : calls)
                if (call.kind == Call::Kind::speak) texts.push_back(call.utterance.text);
            return texts;
        }
        const Utterance& lastSpoken() const {
            for (auto it = calls.rbegin(); it != calls.rend(); ++it)
                if (it->kind == Call::Kind::speak) return it->utterance;
            static const Utterance none;
            return none;
        }
        void send(std::uint64_t id, SpeechReport kind) const { synthesizer->report(id, kind); }
        // A list that arrives late, as a daemon's does.
        void listArrives(std::vector<Voice> arrived) {
            voices = std::move(arrived);
            if (voicesHandler) voicesHandler();
        }
    };

    explicit FakeSpeechSynthesizer(std::shared_ptr<Log> log) : log_(std::move(log)) {
        log_->synthesizer = this;
    }
    ~FakeSpeechSynthesizer() override { log_->synthesizer = nullptr; }

    void speak(const Utterance& utterance) override {
        log_->calls.push_back({Call::Kind::speak, utterance});
    }
    void stopSpeaking() override { log_->calls.push_back({Call::Kind::stop, {}}); }
    std::vector<Voice> voices() const override { return log_->voices; }
    std::string failureReason() const override { return log_->failureReason; }
    void setVoicesHandler(VoicesHandler handler) override {
        log_->voicesHandler = std::move(handler);
    }
    bool hasVoice(const std::string& identifier) const override {
        for (const auto& voice : log_->voices)
            if (voice.identifier == identifier) return true;
        return false;
    }

private:
    std::shared_ptr<Log> log_;
    friend struct Log;
};

} // namespace umbrascope::testing_support
