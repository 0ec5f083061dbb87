#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/ByteReader.hpp"

namespace umbrascope {

// A capture file: one event packet per line.
//
//     @source Keyboard\tPort 1        optional, before the first packet; \n \r \t \\ escapes
//     # a comment                      '#' starts a comment anywhere in a packet line
//     +0.125 40903C00 FFFF0000         optional delay since the previous line, then 1 to 64 words
//
// Our own CSV export ("Source,Hex,TTS Short,TTS Verbose", or with a leading "Time," column) reads
// back too: each row's Hex field is one packet, with no delay.
struct CaptureLine {
    std::chrono::nanoseconds delay{0};
    std::uint32_t lineNumber = 0; // 1-based, where the packet's text starts
    std::uint32_t firstWord = 0;  // into Capture::wordStore
    std::uint32_t wordCount = 0;
};

// The words of all lines sit in one array: a line costs 24 bytes and its words 4 each, so a
// capture at the size limit stays within a few times its file size in memory.
struct Capture {
    std::string sourceName;
    std::vector<CaptureLine> lines;
    std::vector<std::uint32_t> wordStore{};
    // What the user is to be told once, such as a source name that was cut: "x.ump:1: ...".
    std::vector<std::string> warnings{};

    std::span<const std::uint32_t> words(const CaptureLine& line) const {
        return std::span(wordStore).subspan(line.firstWord, line.wordCount);
    }
    void append(std::chrono::nanoseconds delay, std::span<const std::uint32_t> words,
                std::size_t lineNumber);
};

// A capture that cannot be read. what() names the file, the line and what was expected:
// "demo.ump:12: expected 1 to 64 hex words of 8 digits, found 'XYZ'", or what failed:
// "demo.ump: cannot read the file: Input/output error".
class CaptureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t maxCaptureWords = 64;
inline constexpr std::chrono::seconds maxCaptureDelay{86400};
// 64 words of 8 digits with their blanks and a delay take under 600 bytes; the rest is comment.
inline constexpr std::size_t maxCaptureLineBytes = 64 * 1024;
inline constexpr std::uint64_t maxCaptureBytes = 256 * 1024 * 1024;
// Longer names are cut to this many bytes, the last three being "…".
inline constexpr std::size_t maxSourceNameBytes = 256;

// `fileName` is used in errors as given, and its stem names the source when the text does not.
Capture parseCapture(std::string_view text, std::string_view fileName);
// `measuredBytes`: the size the file had when opened; an input that ends before it is an error.
Capture readCapture(ByteReader& input, std::string_view fileName,
                    std::optional<std::uint64_t> measuredBytes = std::nullopt);
// Refuses a file above maxCaptureBytes before reading it, and any input that grows past it.
Capture loadCapture(const std::filesystem::path& path);

// The `@source` form of a name: backslash, line feed, carriage return and tab escaped.
std::string escapeCaptureSourceName(std::string_view name);

} // namespace umbrascope
