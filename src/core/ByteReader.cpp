#include "core/ByteReader.hpp"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace umbrascope {

ReadResult FileReader::read(std::span<char> buffer) {
    if (pendingError_ != 0) return {0, std::exchange(pendingError_, 0)};
    errno = 0;
    const std::size_t size = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (!std::ferror(file_)) return {size, 0};
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(file_);
    // fread keeps what it read before the error (a FIFO's first bytes, then a signal): those
    // bytes now, the error next.
    if (size > 0) {
        pendingError_ = error;
        return {size, 0};
    }
    return {0, error};
}

ReadResult MemoryReader::read(std::span<char> buffer) {
    const std::size_t size = std::min(buffer.size(), text_.size());
    std::copy_n(text_.data(), size, buffer.data());
    text_.remove_prefix(size);
    return {size, 0};
}

} // namespace umbrascope
