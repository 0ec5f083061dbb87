#include "core/LineReader.hpp"

#include <algorithm>
#include <cstring>

namespace umbrascope {

namespace {
constexpr std::size_t readAhead = 64 * 1024;
constexpr std::size_t firstBuffer = 16 * 1024; // grown only for long lines
} // namespace

LineReader::LineReader(ByteReader& input, std::size_t maxLineBytes)
    : input_(input), maxLineBytes_(maxLineBytes),
      buffer_(std::min(firstBuffer, maxLineBytes + 1 + readAhead)) {}

LineReader::Status LineReader::next() {
    line_ = {};
    if (halted_) return *halted_;
    for (;;) {
        const char* const start = buffer_.data() + begin_;
        const std::size_t pending = end_ - begin_;
        if (const void* feed = std::memchr(start + scanned_, '\n', pending - scanned_)) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - start);
            ++lineNumber_;
            if (length > maxLineBytes_) return *(halted_ = Status::tooLong);
            line_ = std::string_view(start, length);
            begin_ += length + 1;
            scanned_ = 0;
            return Status::line;
        }
        scanned_ = pending;
        if (pending > maxLineBytes_) {
            ++lineNumber_;
            return *(halted_ = Status::tooLong);
        }
        if (atEnd_) {
            if (pending == 0) return Status::end;
            ++lineNumber_;
            line_ = std::string_view(start, pending);
            begin_ = end_;
            scanned_ = 0;
            return Status::line;
        }
        if (begin_ > 0) {
            std::memmove(buffer_.data(), start, pending);
            begin_ = 0;
            end_ = pending;
        }
        if (end_ == buffer_.size()) // one unfinished line of at most maxLineBytes fills it
            buffer_.resize(std::min(2 * buffer_.size(), maxLineBytes_ + 1 + readAhead));
        const ReadResult result = input_.read(std::span(buffer_).subspan(end_));
        if (result.error != 0) {
            error_ = result.error;
            ++lineNumber_;
            return *(halted_ = Status::failed);
        }
        if (result.size == 0) atEnd_ = true;
        end_ += result.size;
        bytesRead_ += result.size;
    }
}

} // namespace umbrascope
