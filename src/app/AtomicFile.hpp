#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace umbrascope {

// Replaces the file at `location` with `contents` as a whole or not at all: the bytes go to a new
// temporary file in the same folder, which is then renamed over the target. On failure the
// temporary file is removed and the target is untouched. Returns why it failed, or nothing.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& location,
                                               std::string_view contents);

} // namespace umbrascope
