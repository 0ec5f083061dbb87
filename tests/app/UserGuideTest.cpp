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

// The written guide: opening, heading, one paragraph per bullet, heading, shortcut block, closing.
TEST(WrittenGuide, HeadingsBulletsAndShortcutBlockInPlace) {
    const auto paragraphs = split(writtenGuide(), "\n\n");
    const auto started = std::find(paragraphs.begin(), paragraphs.end(), "GETTING STARTED");
    const auto shortcuts = std::find(paragraphs.begin(), paragraphs.end(), "KEYBOARD SHORTCUTS");
    ASSERT_EQ(started, paragraphs.begin() + 1) << writtenGuide();
    ASSERT_EQ(paragraphs.end() - shortcuts, 3) << writtenGuide();
    EXPECT_EQ(shortcuts - started, 12) << "eleven bullets";
    for (auto bullet = started + 1; bullet != shortcuts; ++bullet) {
        EXPECT_TRUE(bullet->starts_with("• ")) << *bullet;
        EXPECT_FALSE(contains(*bullet, "\n")) << *bullet;
    }
    EXPECT_EQ(split(shortcuts[1], "\n").size(), 15u);
    EXPECT_FALSE(contains(writtenGuide(), "CoreMIDI"));
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
    for (std::size_t dot = body.find('.'); dot != std::string::npos;
         dot = body.find('.', dot + 1)) {
        const bool between = dot > 0 && dot + 1 < body.size() &&
                             std::isdigit(static_cast<unsigned char>(body[dot - 1])) &&
                             std::isdigit(static_cast<unsigned char>(body[dot + 1]));
        EXPECT_FALSE(between) << "a version as digits at " << dot;
    }
    EXPECT_TRUE(contains(body, "MIDI 2 point 0"));
}

TEST(SpokenGuide, SameOrderWithoutTheScreenOnlyParts) {
    const std::string& body = spokenGuideBody();
    expectInOrder(body, {"Getting started: ", "Keyboard shortcuts: ", " U toggles", " M reads"});
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
