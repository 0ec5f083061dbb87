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
        const std::size_t size = text_.copy(buffer.data(), std::min(buffer.size(), chunk_), at_);
        at_ += size;
        return {size, 0};
    }

private:
    std::string text_;
    std::size_t chunk_;
    int error_;
    std::size_t at_ = 0;
};

std::string describe(LineReader& reader, LineReader::Status status) {
    using S = LineReader::Status;
    if (status == S::end) return "end";
    return std::to_string(reader.lineNumber()) + ":" +
           (status == S::line      ? std::string(reader.line())
            : status == S::tooLong ? "too long"
                                   : "failed " + std::to_string(reader.error()));
}

TEST(LineReading, SameLinesWhateverTheChunks) {
    const struct {
        const char* name;
        std::string input;
        int error; // after the input
        // Each result as "N:text", "N:too long", "N:failed E" or "end"; the reader is asked once
        // more after the last and must say the same again.
        std::vector<std::string> results;
    } cases[] = {
        {"emptyInput", "", 0, {"end"}},
        {"lastLineWithoutFeed", "ab\n\ncd", 0, {"1:ab", "2:", "3:cd", "end"}},
        {"carriageReturnKept", "ab\r\n", 0, {"1:ab\r", "end"}},
        {"exactlyTheBound", "12345678\n12345678", 0, {"1:12345678", "2:12345678", "end"}},
        {"oneOverTheBound", "ok\n123456789\nnever\n", 0, {"1:ok", "2:too long"}},
        {"lastLineOverTheBound", "123456789", 0, {"1:too long"}},
        {"errorIsNotTheEnd", "ab\ncd", EIO, {"1:ab", "2:failed 5"}},
    };
    for (const auto& c : cases)
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 20}) {
            ChunkedReader input(c.input, chunk, c.error);
            LineReader reader(input, 8);
            std::vector<std::string> results;
            for (std::size_t i = 0; i <= c.results.size(); ++i)
                results.push_back(describe(reader, reader.next()));
            auto expected = c.results;
            expected.push_back(expected.back());
            EXPECT_EQ(results, expected) << c.name << ", chunks of " << chunk;
        }
}

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
