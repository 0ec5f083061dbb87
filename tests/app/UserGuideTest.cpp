#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/AppInfo.hpp"
#include "app/UserGuide.hpp"

namespace umbrascope {
namespace {

std::vector<std::string> split(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const auto end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + separator.size();
    }
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Positions of `parts` in `text`, each searched after the previous one; npos once one is missing
// or out of order.
void expectInOrder(std::string_view text, const std::vector<std::string_view>& parts) {
    std::size_t from = 0;
    for (const auto part : parts) {
        const auto at = text.find(part, from);
        ASSERT_NE(at, std::string_view::npos) << "missing or out of order: " << part;
        from = at + part.size();
    }
}

struct Shortcut {
    std::string_view key;
    std::string_view description;
};

constexpr std::array<Shortcut, 15> shortcutTable{{
    {"1–8", "Show/hide each message type (matches the legend order)"},
    {"U", "Toggle Only UMP-Native Connections"},
    {"L", "Toggle MIDI 1.0 Protocol Only (see what a MIDI 1.0 app receives)"},
    {"S", "Toggle No Active Sensing"},
    {"C", "Toggle No MIDI Clock"},
    {"T", "Cycle TTS: Off → Short → Verbose"},
    {"K", "Toggle Tick on Message"},
    {"I", "Toggle Last Interrupts"},
    {"R", "Speak a quick catch-up of the last 10 seconds (max 10 messages)"},
    {"D", "Open the Devices panel"},
    {"E", "Export the buffer to CSV"},
    {"[   ]", "Speech rate: slower / faster"},
    {"↑   ↓", "Speech volume: up / down"},
    {"G", "Read this guide aloud / stop reading — works anytime, this window doesn't need to be "
          "open"},
    {"M", "Read the More data (full field breakdown) of the most recently received message aloud "
          "/ stop reading — works anytime, the More popup doesn't need to be open"},
}};

// The written guide's paragraphs: opening, heading, bullets, heading, shortcut block, closing.
struct WrittenParts {
    std::string opening;
    std::vector<std::string> bullets;
    std::vector<std::string> shortcutLines;
    std::string closing;
};

WrittenParts writtenParts() {
    const auto paragraphs = split(writtenGuide(), "\n\n");
    const auto started = std::find(paragraphs.begin(), paragraphs.end(), "GETTING STARTED");
    const auto shortcuts = std::find(paragraphs.begin(), paragraphs.end(), "KEYBOARD SHORTCUTS");
    if (started != paragraphs.begin() + 1 || shortcuts == paragraphs.end() ||
        paragraphs.end() - shortcuts != 3) {
        ADD_FAILURE() << "headings missing or misplaced:\n" << writtenGuide();
        return {};
    }
    return {
        paragraphs.front(), {started + 1, shortcuts}, split(shortcuts[1], "\n"), paragraphs.back()};
}

TEST(WrittenGuide, ShortcutLinesAreTheTable) {
    const auto lines = writtenParts().shortcutLines;
    ASSERT_EQ(lines.size(), shortcutTable.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const auto [key, description] = shortcutTable[i];
        SCOPED_TRACE(line);
        ASSERT_TRUE(line.starts_with(key));
        const auto gap = line.substr(key.size());
        const auto text = gap.find_first_not_of(' ');
        ASSERT_GT(text, 0u) << "no space after the key";
        EXPECT_EQ(gap.substr(text), description);
    }
}

TEST(WrittenGuide, TopicsInOrderOnePerBullet) {
    // What each bullet must be about, in order, and the facts it may not lose.
    const std::vector<std::vector<std::string_view>> topics{
        {"MIDI 1.0 or MIDI 2.0 device"},
        {"legend", "8 message types"},
        {"Active Sensing", "MIDI Clock", "UMP-native"},
        {"MIDI 1.0 Protocol Only", "L key", "system's MIDI sources", "buffer stay", "Clear"},
        {"TTS Short", "TTS Verbose", "dropped", "Last Interrupts"},
        {"Tick on Message", "stereo"},
        {"R ", "10 seconds", "10 most recent", "short wording"},
        {"Buffer", "500, 1000 or 5000"},
        {"Export CSV", "E,", "source device, raw hex, TTS Short text and TTS Verbose text",
         "one row per message"},
        {"Devices", "D,", "English voice", "stereo"},
        {"More", "field-by-field", "bit width", "Orchestral Articulation, Piano and Drums"},
    };
    const auto parts = writtenParts();
    ASSERT_EQ(parts.bullets.size(), topics.size());
    for (std::size_t i = 0; i < topics.size(); ++i) {
        const auto& bullet = parts.bullets[i];
        SCOPED_TRACE(bullet);
        EXPECT_TRUE(bullet.starts_with("• "));
        EXPECT_FALSE(contains(bullet, "\n"));
        for (const auto fact : topics[i])
            EXPECT_TRUE(contains(bullet, fact)) << fact;
    }
    EXPECT_TRUE(contains(parts.opening, "real time"));
    EXPECT_TRUE(contains(parts.opening, "UMP"));
    expectInOrder(parts.closing,
                  {"User Guide", "bottom left", "Read Guide Aloud", "G", "Read More Aloud", "M"});
}

TEST(WrittenGuide, NamesThisSystemsServicesOnly) {
    EXPECT_FALSE(contains(writtenGuide(), "CoreMIDI"));
    EXPECT_FALSE(contains(writtenGuide(), "Core MIDI"));
    // A page, not a pamphlet, and not cut short.
    EXPECT_GT(writtenGuide().size(), 3000u);
    EXPECT_LT(writtenGuide().size(), 4000u);
}

TEST(SpokenGuide, OneLineOfPlainWordsWithEveryAbbreviationSpelledForTheEar) {
    const std::string& body = spokenGuideBody();
    // Nothing a synthesizer would read as a symbol name or skip: no dashes, arrows, brackets,
    // slashes, bullets, parentheses or line breaks.
    const auto odd = std::find_if(body.begin(), body.end(), [](char c) {
        return !(std::isalnum(static_cast<unsigned char>(c)) || contains(" .,;:'-", {&c, 1}));
    });
    EXPECT_EQ(odd, body.end()) << "unspeakable character at: " << std::string(odd, body.end());
    EXPECT_FALSE(contains(body, " - "));

    EXPECT_FALSE(contains(body, "UMP"));
    EXPECT_FALSE(contains(body, "CSV"));
    EXPECT_TRUE(contains(body, "C. S. V."));
    EXPECT_TRUE(contains(body, "Universal MIDI Packet, U. M. Pea, message type"));
    for (std::size_t dot = body.find('.'); dot != std::string::npos;
         dot = body.find('.', dot + 1)) {
        const bool between = dot > 0 && dot + 1 < body.size() &&
                             std::isdigit(static_cast<unsigned char>(body[dot - 1])) &&
                             std::isdigit(static_cast<unsigned char>(body[dot + 1]));
        EXPECT_FALSE(between) << "a version as digits at " << dot;
    }
    EXPECT_TRUE(contains(body, "MIDI 1 point 0"));
    EXPECT_TRUE(contains(body, "MIDI 2 point 0"));
    EXPECT_FALSE(contains(body, "CoreMIDI"));
    EXPECT_GT(body.size(), 2400u);
    EXPECT_LT(body.size(), 3600u);
}

TEST(SpokenGuide, SameOrderWithoutTheScreenOnlyParts) {
    const std::string& body = spokenGuideBody();
    expectInOrder(body, {"Universal MIDI Packet",
                         "Getting started: ", "MIDI 1 point 0 or MIDI 2 point 0 device", "legend",
                         "Active Sensing", "MIDI 1 point 0 Protocol Only", "Last Interrupts",
                         "Tick on Message", "10 seconds", "Buffer", "C. S. V.", "Devices",
                         "More button", "Keyboard shortcuts: "});
    const auto shortcuts = std::string_view(body).substr(body.find("Keyboard shortcuts: "));
    expectInOrder(shortcuts, {"Keys 1 through 8 show or hide each message type, matching the "
                              "legend order.",
                              " U toggles Only U. M. Pea-Native Connections.",
                              " L toggles MIDI 1 point 0 Protocol Only", " S toggles", " C toggles",
                              " T cycles", " K toggles", " I toggles", " R speaks", " D opens",
                              " E exports", "square brackets", "arrow", " M reads the More data",
                              "whether or not the More popup is open."});
    EXPECT_TRUE(
        body.ends_with(std::string(" ").append(spokenWebAddress(homepageURL())).append(".")));

    for (const std::string_view unspoken :
         {" G ", "this guide", "Read Guide Aloud", "Read More Aloud", "User Guide", "top right",
          "bottom left", "Orchestral", "Piano", "Drums", "Clear", "even if"})
        EXPECT_FALSE(contains(body, unspoken)) << unspoken;
}

TEST(GuideReadingText, StopHintFitsWhereTheGuideIs) {
    EXPECT_EQ(guideReadingText(true),
              "To stop this reading, click Stop Reading, or close this window. " +
                  spokenGuideBody());
    EXPECT_EQ(guideReadingText(false), "To stop this reading, press G again. " + spokenGuideBody());
}

struct AddressCase {
    const char* name;
    std::string_view url;
    std::string_view spoken;
};

class SpokenWebAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(SpokenWebAddress, SaysEverySymbol) {
    EXPECT_EQ(spokenWebAddress(GetParam().url), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, SpokenWebAddress,
    testing::Values(AddressCase{"project", "https://github.com/umbrascope/umbrascope",
                                "github dot com slash umbrascope slash umbrascope"},
                    AddressCase{"wwwAndTrailingSlash", "http://www.example.org/",
                                "example dot org"},
                    AddressCase{"hyphenAndUnderscore", "https://my-site.net/a_b",
                                "my dash site dot net slash a underscore b"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace umbrascope
