#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "audio/VoiceSelection.hpp"

namespace umbrascope {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A speech-dispatcher voice list as `spd-say -L` prints it (NAME, LANGUAGE and VARIANT columns,
// right-aligned; "none" for a voice itself), trimmed from a Debian 12 daemon's 13,362 lines.
std::vector<Voice> recordedDaemonVoices() {
    std::ifstream in(std::string(UMBRASCOPE_SOURCE_DIR) +
                     "/tests/audio/SpeechDispatcherVoices.txt");
    std::vector<Voice> voices;
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        line = trimmed(line);
        const auto variantAt = line.rfind(' ');
        const std::string variant = line.substr(variantAt + 1);
        line = trimmed(line.substr(0, variantAt));
        const auto languageAt = line.rfind(' ');
        const std::string name = trimmed(line.substr(0, languageAt));
        voices.push_back(
            {name, name, line.substr(languageAt + 1), variant == "none" ? "" : variant});
    }
    return voices;
}

std::vector<std::string> labels(const std::vector<Voice>& voices) {
    std::vector<std::string> result;
    for (const auto& voice : voices)
        result.push_back(voiceLabel(voice) + " = " + voice.identifier);
    return result;
}

TEST(VoiceSelection, ThePickerOffersEachEnglishVoiceOnceSortedByName) {
    const auto recorded = recordedDaemonVoices();
    ASSERT_EQ(recorded.size(), 29u);
    EXPECT_EQ(labels(pickerVoices(recorded)),
              (std::vector<std::string>{
                  "English (America) (en-US) = English (America)",
                  "English (America, New York City) (en-US-NYC) = English (America, New York City)",
                  "English (Caribbean) (en-029) = English (Caribbean)",
                  "English (Great Britain) (en-GB) = English (Great Britain)",
                  "English (Lancaster) (en-GB-X-GBCLAN) = English (Lancaster)",
                  "English (Received Pronunciation) (en-GB-X-RP) = English (Received "
                  "Pronunciation)",
                  "English (Scotland) (en-GB-SCOTLAND) = English (Scotland)",
                  "English (West Midlands) (en-GB-X-GBCWMD) = English (West Midlands)",
              }))
        << "variants, Afrikaans, German and Mandarin (named 'latin as English') are left out";
}

TEST(VoiceSelection, AllVoicesKeepsVariantsAndOtherLanguagesSortedByName) {
    const auto all = allVoicesByName(recordedDaemonVoices());
    ASSERT_EQ(all.size(), 29u);
    EXPECT_EQ(all.front().name, "Afrikaans");
    EXPECT_EQ(all[1].name, "Afrikaans+Adam");
    EXPECT_EQ(all[1].variant, "Adam");
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const Voice& a, const Voice& b) { return a.name < b.name; }));
}

TEST(VoiceSelection, LanguageCodesMatchInEitherCase) {
    const std::vector<Voice> voices{{"gmw/en-US", "English_(America)", "en-us"},
                                    {"x", "Espanol", "es"},
                                    {"y", "Upper", "EN"},
                                    {"z", "e", "e"}};
    EXPECT_EQ(
        labels(pickerVoices(voices)),
        (std::vector<std::string>{"English_(America) (en-us) = gmw/en-US", "Upper (EN) = y"}));
}

} // namespace
} // namespace umbrascope
