#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "midi/replay/CaptureFile.hpp"

namespace umbrascope {
namespace {

std::string captureError(const auto& read) {
    try {
        read();
    } catch (const CaptureError& error) {
        return error.what();
    }
    return "no error";
}

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// A comment line of exactly `bytes` bytes before its line feed.
std::string commentLine(std::size_t bytes) {
    std::string line(bytes, 'c');
    line.front() = '#';
    return line += '\n';
}

struct LineBoundCase {
    const char* name;
    std::string text;
    std::string error; // empty: reads
};

class CaptureLineBound : public testing::TestWithParam<LineBoundCase> {};

TEST_P(CaptureLineBound, HoldsAtMostOneBoundedLine) {
    const auto& c = GetParam();
    const std::string error = captureError([&] { parseCapture(c.text, "x.ump"); });
    EXPECT_EQ(error, c.error.empty() ? "no error" : c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureLineBound,
    testing::Values(
        LineBoundCase{"longestCommentReads", "10F80000\n" + commentLine(65536) + "10F80000\n", ""},
        LineBoundCase{"oneByteMore", "10F80000\n" + commentLine(65537) + "10F80000\n",
                      "x.ump:2: expected a line of at most 65536 bytes"},
        LineBoundCase{"megabyteSourceName", "@source " + std::string(1 << 20, 'n') + "\n10F80000\n",
                      "x.ump:1: expected a line of at most 65536 bytes"},
        LineBoundCase{"csvRecordOverManyLines",
                      "Source,Hex,TTS Short,TTS Verbose\nKeys,10F80000,\"" +
                          repeated("line\n", 14000) + "\"\n",
                      "x.ump:2: expected a record of at most 65536 bytes"}),
    [](const auto& p) { return p.param.name; });

struct NameCase {
    const char* name;
    std::string sourceName;
    std::string kept;
    bool told;
};

class CaptureSourceNameBound : public testing::TestWithParam<NameCase> {};

TEST_P(CaptureSourceNameBound, CutWithEllipsisAndToldOnce) {
    const auto& c = GetParam();
    const Capture capture =
        parseCapture("# take\n@source " + c.sourceName + "\n10F80000\n10FA0000\n", "x.ump");
    EXPECT_EQ(capture.sourceName, c.kept);
    EXPECT_LE(capture.sourceName.size(), maxSourceNameBytes);
    EXPECT_EQ(capture.warnings, c.told ? std::vector<std::string>{"x.ump:2: source name cut to "
                                                                  "256 bytes"}
                                       : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureSourceNameBound,
    testing::Values(NameCase{"atTheBound", std::string(256, 'n'), std::string(256, 'n'), false},
                    NameCase{"tenKilobytes", std::string(10'000, 'n'),
                             std::string(253, 'n') + "\u2026", true},
                    // 84 euro signs fit before the ellipsis; the 85th would be split.
                    NameCase{"neverSplitsACharacter", repeated("\u20AC", 100),
                             repeated("\u20AC", 84) + "\u2026", true}),
    [](const auto& p) { return p.param.name; });

// Gives `good` bytes of input, then fails as a disk would.
class FailingReader final : public ByteReader {
public:
    FailingReader(std::string good, int error) : good_(std::move(good)), error_(error) {}
    ReadResult read(std::span<char> buffer) override {
        if (given_ == good_.size()) return {0, error_};
        const std::size_t size = std::min(buffer.size(), good_.size() - given_);
        std::copy_n(good_.data() + given_, size, buffer.data());
        given_ += size;
        return {size, 0};
    }

private:
    std::string good_;
    int error_;
    std::size_t given_ = 0;
};

TEST(CaptureReadError, IsAnErrorNeverAShorterCapture) {
    std::string good = repeated("10F80000\n", 65536 / 9 + 1);
    FailingReader reader(std::move(good), EIO);
    EXPECT_EQ(captureError([&] { readCapture(reader, "x.ump"); }),
              "x.ump: cannot read the file: Input/output error");
}

// Valid text a little past the limit, as a pipe or a growing file may give.
class CommentStream final : public ByteReader {
public:
    ReadResult read(std::span<char> buffer) override {
        const auto size = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), maxCaptureBytes + (1 << 20) - at_));
        std::fill_n(buffer.begin(), size, '#');
        for (std::size_t i = (60'000 - at_ % 60'000) % 60'000; i < size; i += 60'000)
            buffer[i] = '\n';
        at_ += size;
        return {size, 0};
    }

private:
    std::uint64_t at_ = 0;
};

TEST(CaptureSize, InputPastTheLimitIsRefused) {
    CommentStream stream;
    EXPECT_EQ(captureError([&] { readCapture(stream, "pipe"); }),
              "pipe: expected a capture of at most 268435456 bytes (256 MiB), found more");
}

class CaptureFiles : public testing::Test {
protected:
    void TearDown() override { std::filesystem::remove(path); }
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("umbrascope-capture-" + std::to_string(::getpid()) + ".ump");
};

TEST_F(CaptureFiles, LargerThanTheLimitIsRefusedBeforeReading) {
    std::ofstream(path) << "10F80000\n";
    std::filesystem::resize_file(path, maxCaptureBytes + 1); // sparse: nothing is written
    EXPECT_EQ(captureError([&] { loadCapture(path); }),
              path.string() +
                  ": expected a capture of at most 268435456 bytes (256 MiB), found 268435457 "
                  "bytes");
}

} // namespace
} // namespace umbrascope
