#include <gtest/gtest.h>

#include "audio/VoiceSelection.hpp"

namespace umbrascope {
namespace {

std::vector<std::string> labels(const std::vector<Voice>& voices) {
    std::vector<std::string> result;
    for (const auto& voice : voices)
        result.push_back(voiceLabel(voice) +
                         (voice.identifier == voice.name ? "" : " = " + voice.identifier));
    return result;
}

// As a speech-dispatcher daemon lists them, each voice followed by its variants, plus voices with
// language codes in either case.
const std::vector<Voice> voices{
    {"Afrikaans", "Afrikaans", "af"},
    {"Chinese (Mandarin, latin as English)", "Chinese (Mandarin, latin as English)", "cmn"},
    {"English (Scotland)", "English (Scotland)", "en-GB-SCOTLAND"},
    {"English (Scotland)+Adam", "English (Scotland)+Adam", "en-GB-SCOTLAND", "Adam"},
    {"English (America)", "English (America)", "en-US"},
    {"English (America)+Annie", "English (America)+Annie", "en-US", "Annie"},
    {"gmw/en-US", "English_(America)", "en-us"},
    {"x", "Espanol", "es"},
    {"y", "Upper", "EN"},
    {"z", "e", "e"},
};

// The picker offers each English voice once; the full list keeps variants and other languages.
TEST(VoiceSelection, BothListsAreSortedByName) {
    EXPECT_EQ(labels(pickerVoices(voices)),
              (std::vector<std::string>{
                  "English (America) (en-US)", "English (Scotland) (en-GB-SCOTLAND)",
                  "English_(America) (en-us) = gmw/en-US", "Upper (EN) = y"}));
    const auto all = allVoicesByName(voices);
    EXPECT_EQ(all.size(), voices.size());
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const Voice& a, const Voice& b) { return a.name < b.name; }));
}

} // namespace
} // namespace umbrascope
