#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "core/LineReader.hpp"

namespace umbrascope {
namespace {

// Hands out its text a few bytes at a time, then an error if it has one.
class ChunkedReader final : public ByteReader {
public:
    ChunkedReader(std::string text, std::size_t chunk, int error)
        : text_(std::move(text)), chunk_(chunk), error_(error) {}
    ReadResult read(std::span<char> buffer) override {
        if (at_ == text_.size()) return {0, error_};
        const std::size_t size = std::min({buffer.size(), chunk_, text_.size() - at_});
        std::copy_n(text_.data() + at_, size, buffer.data());
        at_ += size;
        return {size, 0};
    }

private:
    std::string text_;
    std::size_t chunk_;
    int error_;
    std::size_t at_ = 0;
};

struct LineCase {
    const char* name;
    std::string input;
    int error; // after the input
    std::size_t maxLine;
    // Each result as "N:text" for a line, "N:too long", "N:failed" or "end"; the reader is
    // asked once more after the last and must say the same again.
    std::vector<std::string> results;
};

std::string describe(LineReader& reader, LineReader::Status status) {
    const std::string number = std::to_string(reader.lineNumber()) + ":";
    switch (status) {
    case LineReader::Status::line:
        return number + std::string(reader.line());
    case LineReader::Status::end:
        return "end";
    case LineReader::Status::tooLong:
        return number + "too long";
    case LineReader::Status::failed:
        return number + "failed " + std::to_string(reader.error());
    }
    return "?";
}

class LineReading : public testing::TestWithParam<LineCase> {};

TEST_P(LineReading, SameLinesWhateverTheChunks) {
    const auto& c = GetParam();
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
        ChunkedReader input(c.input, chunk, c.error);
        LineReader reader(input, c.maxLine);
        std::vector<std::string> results;
        for (std::size_t i = 0; i < c.results.size(); ++i)
            results.push_back(describe(reader, reader.next()));
        EXPECT_EQ(results, c.results) << "chunks of " << chunk;
        EXPECT_EQ(describe(reader, reader.next()), c.results.back()) << "chunks of " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReading,
    testing::Values(
        LineCase{"emptyInput", "", 0, 8, {"end"}},
        LineCase{"lastLineWithoutFeed", "ab\n\ncd", 0, 8, {"1:ab", "2:", "3:cd", "end"}},
        LineCase{"carriageReturnKept", "ab\r\n", 0, 8, {"1:ab\r", "end"}},
        LineCase{
            "exactlyTheBound", "12345678\n12345678", 0, 8, {"1:12345678", "2:12345678", "end"}},
        LineCase{"oneOverTheBound", "ok\n123456789\nnever\n", 0, 8, {"1:ok", "2:too long"}},
        LineCase{"lastLineOverTheBound", "123456789", 0, 8, {"1:too long"}},
        LineCase{"errorIsNotTheEnd", "ab\ncd", EIO, 8, {"1:ab", "2:failed 5"}},
        LineCase{"errorAfterAWholeLine", "ab\n", EIO, 8, {"1:ab", "2:failed 5"}}),
    [](const auto& p) { return p.param.name; });

TEST(LineReading, InputManyTimesTheBufferIsReadWhole) {
    std::string text;
    for (int i = 0; i < 100'000; ++i)
        text += std::to_string(10'000'000 + i) + "\n";
    for (const std::size_t chunk : {std::size_t{7}, std::size_t{1} << 20}) {
        ChunkedReader input(text, chunk, 0);
        LineReader reader(input, 8);
        std::size_t lines = 0;
        std::string last;
        while (reader.next() == LineReader::Status::line) {
            ++lines;
            last = reader.line();
        }
        EXPECT_EQ(lines, 100'000u) << "chunks of " << chunk;
        EXPECT_EQ(last, "10099999") << "chunks of " << chunk;
        EXPECT_EQ(reader.next(), LineReader::Status::end);
    }
}

} // namespace
} // namespace umbrascope
