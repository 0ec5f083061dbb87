#include "core/ByteReader.hpp"

#include <algorithm>
#include <cerrno>

namespace umbrascope {

ReadResult FileReader::read(std::span<char> buffer) {
    errno = 0;
    const std::size_t size = std::fread(buffer.data(), 1, buffer.size(), file_);
    if (size > 0 || !std::ferror(file_)) return {size, 0};
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(file_);
    return {0, error};
}

ReadResult MemoryReader::read(std::span<char> buffer) {
    const std::size_t size = std::min(buffer.size(), text_.size());
    std::copy_n(text_.data(), size, buffer.data());
    text_.remove_prefix(size);
    return {size, 0};
}

} // namespace umbrascope
