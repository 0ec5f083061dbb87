#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>

#include "app/AppInfo.hpp"
#include "app/DeviceSettingsText.hpp"
#include "app/UserGuide.hpp"

namespace umbrascope {
namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

TEST(SpokenGuide, PlainWordsForTheEarWithoutTheScreenOnlyPartsEndingWithTheAddress) {
    const std::string& body = spokenGuideBody();
    // Nothing a synthesizer would read as a symbol name or skip: no dashes, arrows, brackets,
    // slashes, bullets, parentheses or line breaks.
    const auto odd = std::find_if(body.begin(), body.end(), [](char c) {
        return !(std::isalnum(static_cast<unsigned char>(c)) || contains(" .,;:'-", {&c, 1}));
    });
    EXPECT_EQ(odd, body.end()) << "unspeakable character at: " << std::string(odd, body.end());
    for (std::size_t dot = body.find('.', 1); dot != std::string::npos && dot + 1 < body.size();
         dot = body.find('.', dot + 1))
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(body[dot - 1])) &&
                     std::isdigit(static_cast<unsigned char>(body[dot + 1])))
            << "a version as digits at " << dot;
    for (const std::string_view unspoken :
         {" - ", "UMP", "CSV", " G ", "this guide", "Read Guide Aloud", "User Guide", "top right",
          "bottom left", "Orchestral", "even if"})
        EXPECT_FALSE(contains(body, unspoken)) << unspoken;
    EXPECT_TRUE(
        body.ends_with(std::string(" ").append(spokenWebAddress(homepageURL())).append(".")));
}

TEST(WrittenGuide, ListsEveryKeyOnItsLine) {
    const std::string& guide = writtenGuide();
    const auto from = guide.find("KEYBOARD SHORTCUTS\n\n");
    const auto to = guide.find("\n\nThe User Guide button");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(guide.substr(from + 20, to - from - 20),
              "1–8   Show/hide each message type (matches the legend order)\n"
              "U   Toggle Only UMP-Native Connections\n"
              "L   Toggle MIDI 1.0 Protocol Only (see what a MIDI 1.0 app receives)\n"
              "S   Toggle No Active Sensing\n"
              "C   Toggle No MIDI Clock\n"
              "T   Cycle TTS: Off → Short → Verbose\n"
              "K   Toggle Tick on Message\n"
              "I   Toggle Last Interrupts\n"
              "R   Speak a quick catch-up of the last 10 seconds (max 10 messages)\n"
              "D   Open the Devices panel\n"
              "E   Export the buffer to CSV\n"
              "P   Pause / resume the list, its speech and ticks (arrivals are still kept and "
              "counted)\n"
              "[   ]   Speech rate: slower / faster\n"
              "↑   ↓   Speech volume: up / down, where the focus does not use the arrows\n"
              "-   =   Speech volume: down / up, wherever the focus is\n"
              "G   Read this guide aloud / stop reading — works anytime, this window doesn't need "
              "to be open\n"
              "M   Read the More data (full field breakdown) of the most recently received "
              "message aloud / stop reading — works anytime, the More popup doesn't need to be "
              "open");
    EXPECT_TRUE(contains(spokenGuideBody(),
                         "Keyboard shortcuts: Keys 1 through 8 show or hide each message type"));
    EXPECT_TRUE(contains(spokenGuideBody(), "The minus and equals keys turn the speech volume"));
}

TEST(SpokenWebAddress, SaysEverySymbol) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"https://github.com/umbrascope/umbrascope",
         "github dot com slash umbrascope slash umbrascope"},
        {"http://www.example.org/", "example dot org"},
        {"https://my-site.net/a_b", "my dash site dot net slash a underscore b"},
    };
    for (const auto& [url, spoken] : rows)
        EXPECT_EQ(spokenWebAddress(url), spoken);
}

TEST(VersionText, FallsBackToZero) {
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"0.1.0", "42", "v0.1.0 (42)"},
        {"0.1.0", "", "v0.1.0 (0)"},
        {"0.1.0", "12a", "v0.1.0 (0)"},
        {"", "7", "v0 (7)"},
    };
    for (const auto& [version, build, text] : rows)
        EXPECT_EQ(versionText(version, build), text);
}

TEST(PanLabel, ReadsAsTheSliderStands) {
    const std::pair<float, const char*> rows[] = {
        {-0.049f, "Center"},
        {-0.05f, "5% Left"},
        {0.29f, "29% Right"}, // in double this would truncate one lower (28.99999...)
        // Beyond the slider's range: never undefined, read as the end the mixer clamps to.
        {-2.5f, "100% Left"},
        {std::numeric_limits<float>::quiet_NaN(), "Center"},
    };
    for (const auto& [pan, label] : rows)
        EXPECT_EQ(panLabel(pan), label) << pan;
}

} // namespace
} // namespace umbrascope
