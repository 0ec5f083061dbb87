#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace umbrascope {

// A capture file: one event packet per line.
//
//     @source Keyboard\tPort 1        optional, before the first packet; \n \r \t \\ escapes
//     # a comment                      '#' starts a comment anywhere in a packet line
//     +0.125 40903C00 FFFF0000         optional delay since the previous line, then 1 to 64 words
//
// Our own CSV export ("Source,Hex,TTS Short,TTS Verbose") reads back too: each row's Hex field is
// one packet, with no delay.
struct CaptureLine {
    std::chrono::nanoseconds delay{0};
    std::vector<std::uint32_t> words;
    std::size_t lineNumber = 0; // 1-based, where the packet's text starts
};

struct Capture {
    std::string sourceName;
    std::vector<CaptureLine> lines;
};

// A capture that cannot be read. what() names the file, the line and what was expected:
// "demo.ump:12: expected 1 to 64 hex words of 8 digits, found 'XYZ'".
class CaptureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t maxCaptureWords = 64;
inline constexpr std::chrono::seconds maxCaptureDelay{86400};

// `fileName` is used in errors as given, and its stem names the source when the text does not.
Capture parseCapture(std::string_view text, std::string_view fileName);
Capture loadCapture(const std::filesystem::path& path);

// The `@source` form of a name: backslash, line feed, carriage return and tab escaped.
std::string escapeCaptureSourceName(std::string_view name);

} // namespace umbrascope
