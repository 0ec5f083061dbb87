#pragma once

#include <cstdint>
#include <string>

namespace umbrascope {

// A 128-bit identity for records and rows, shown in UUID form. Values are unique within the
// process: a random per-process prefix and an atomic counter, so making one never blocks or
// allocates and any thread may make them.
struct Identifier {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    static Identifier make();

    // "xxxxxxxx-xxxx-4xxx-8xxx-xxxxxxxxxxxx", upper-case hex.
    std::string toString() const;

    friend bool operator==(const Identifier&, const Identifier&) = default;
};

} // namespace umbrascope
