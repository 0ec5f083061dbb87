#pragma once

#include <vector>

#include "breakdown/FieldRow.hpp"
#include "breakdown/FlexPayload.hpp"

namespace umbrascope {

// The 13 to 19 payload rows of a Set Chord Name message; `words` is the whole four-word packet.
void appendChordNameRows(std::vector<FieldRow>& rows, FlexPacket words);

} // namespace umbrascope
