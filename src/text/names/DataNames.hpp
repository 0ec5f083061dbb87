#pragma once

#include <array>
#include <string_view>

// Status names of SysEx7, SysEx8 and Mixed Data Set chunks, indexed by status; empty entries and
// statuses past the end are unrecognized, each surface with a fall-back text of its own.
namespace umbrascope::names {

inline constexpr std::array<std::string_view, 4> sysEx7Statuses{
    "Complete SysEx message",
    "Start of SysEx message",
    "Continuation of SysEx message",
    "End of SysEx message",
};

inline constexpr std::array<std::string_view, 10> sysEx8Statuses{
    "Complete SysEx8 message",
    "Start of SysEx8 message",
    "Continuation of SysEx8 message",
    "End of SysEx8 message",
    {},
    {},
    {},
    {},
    "Mixed Data Set header",
    "Mixed Data Set payload",
};

} // namespace umbrascope::names
