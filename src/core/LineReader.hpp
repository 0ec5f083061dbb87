#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/ByteReader.hpp"

namespace umbrascope {

// Splits a byte stream into lines at line feeds, holding at most one line of `maxLineBytes` (and
// 64 KiB read ahead) in memory however long the input is.
class LineReader {
public:
    enum class Status {
        line,    // line() holds the next line, without its line feed
        end,     // no more input
        tooLong, // the next line has more than maxLineBytes bytes
        failed,  // a read failed; error() says why
    };
    // After tooLong or failed, every later call returns the same.

    LineReader(ByteReader& input, std::size_t maxLineBytes);

    Status next();
    // Valid until the next call of next(). A carriage return before the line feed is kept.
    std::string_view line() const { return line_; }
    // 1-based number of the line that next() last returned or stopped at.
    std::size_t lineNumber() const { return lineNumber_; }
    int error() const { return error_; }
    std::uint64_t bytesRead() const { return bytesRead_; }

private:
    ByteReader& input_;
    std::size_t maxLineBytes_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0; // unconsumed bytes are [begin_, end_)
    std::size_t end_ = 0;
    std::size_t scanned_ = 0; // bytes from begin_ known to hold no line feed
    bool atEnd_ = false;
    std::optional<Status> halted_;
    std::string_view line_;
    std::size_t lineNumber_ = 0;
    int error_ = 0;
    std::uint64_t bytesRead_ = 0;
};

} // namespace umbrascope
