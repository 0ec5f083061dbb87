#pragma once

#include <string>
#include <string_view>

namespace umbrascope {

// Every reading of the guide begins with one of these, so the listener knows how to end it.
inline constexpr std::string_view guideSheetStopHint =
    "To stop this reading, click Stop Reading, or close this window.";
inline constexpr std::string_view guideKeyStopHint = "To stop this reading, press G again.";

// The guide as shown in its window: plain text, paragraphs separated by blank lines.
const std::string& writtenGuide();

// The same guide rewritten for a speech synthesizer: one line, no symbols to stumble on, ending
// with the web site's address spelled for the ear. Built once, on first use.
const std::string& spokenGuideBody();

// What the G key (and, with the window open, its read-aloud button) speaks: the stop hint that
// fits where the guide is, one space, then the spoken body.
std::string guideReadingText(bool guideSheetOpen);

// An address as it is said aloud: no scheme, no "www.", "." as "dot", "/" as "slash".
// "https://github.com/umbrascope/umbrascope" says "github dot com slash umbrascope slash
// umbrascope".
std::string spokenWebAddress(std::string_view url);

} // namespace umbrascope
