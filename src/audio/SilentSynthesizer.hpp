#pragma once

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

// Says nothing: each utterance starts and finishes at once. For speech switched off on the
// command line, and where no synthesizer is installed.
class SilentSynthesizer final : public SpeechSynthesizer {
public:
    void speak(const Utterance& utterance) override {
        report(utterance.id, SpeechReport::started);
        report(utterance.id, SpeechReport::finished);
    }
    void stopSpeaking() override {}
    std::vector<Voice> voices() const override { return {}; }
    bool hasVoice(const std::string&) const override { return false; }
};

} // namespace umbrascope
