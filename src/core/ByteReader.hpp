#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>

namespace umbrascope {

// One read: `size` bytes, or a read error `error` (an errno value). Neither means the end.
struct ReadResult {
    std::size_t size = 0;
    int error = 0;
};

// A source of bytes read in chunks. A read error is reported as one, never as the end of the
// input, so nothing read in part passes for the whole.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    virtual ReadResult read(std::span<char> buffer) = 0;
};

// An open C stream, not owned. fread reports a failed read(2) through ferror, which std::cin
// would turn into an end of file.
class FileReader final : public ByteReader {
public:
    explicit FileReader(std::FILE* file) : file_(file) {}
    ReadResult read(std::span<char> buffer) override;

private:
    std::FILE* file_;
    int pendingError_ = 0; // met after some bytes of the last read
};

// Bytes already in memory, not owned.
class MemoryReader final : public ByteReader {
public:
    explicit MemoryReader(std::string_view text) : text_(text) {}
    ReadResult read(std::span<char> buffer) override;

private:
    std::string_view text_;
};

} // namespace umbrascope
