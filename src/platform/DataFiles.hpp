#pragma once

#include <filesystem>

namespace umbrascope {

// The folder of the files that come with the programs: share/umbrascope beside the bin folder
// of the program. The build folder mirrors that layout with a link to the checkout's data/, so
// a program run from there finds the same files. `program` is where the running program is.
std::filesystem::path dataFolder(const std::filesystem::path& program);

// dataFolder of the running program; empty when the system does not say where it is.
std::filesystem::path dataFolder();

// A capture named without a folder that is not in the current folder is looked for in `data`,
// so "demo.ump" reaches the bundled demo from anywhere. Otherwise the name is returned as given,
// so an error about it names what the user typed.
std::filesystem::path findCaptureFile(const std::filesystem::path& given,
                                      const std::filesystem::path& data = dataFolder());

} // namespace umbrascope
