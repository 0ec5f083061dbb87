#pragma once

#include <cstddef>
#include <string>

#include "model/MIDIMessage.hpp"

namespace umbrascope {

// The rows the message list shows: the window's visible messages, oldest first. Read on the main
// thread only; a reference stays valid until the owner reports the next change.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual std::size_t rowCount() const = 0;
    virtual const MIDIMessage& message(std::size_t row) const = 0;
    // When the message arrived, as the row shows it; none by default.
    virtual std::string timeText(const MIDIMessage&) const { return {}; }
};

} // namespace umbrascope
