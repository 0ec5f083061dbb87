#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace umbrascope {

// "C4 (60)", "C#4 (61)"; "note 200" above 127.
std::string noteDisplayName(int note);
// "C4", "C sharp 4"; "note 200" above 127.
std::string noteName(int note);
// "Center", "+12.50%", "-100.00%".
std::string centeredPercent(double value, double centre, double maximum);
// "Center", "Left 100.00%", "Right 50.00%".
std::string panDisplayText(double value, double centre, double maximum);
// "Volume (CC7)", "CC2".
std::string controllerDisplayName(int controller);
// "0", "999", "1,204", "100,000": thousands set apart by commas.
std::string groupedNumber(std::uint64_t value);

} // namespace umbrascope
