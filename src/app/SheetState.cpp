#include "app/SheetState.hpp"

namespace umbrascope {

bool SheetState::show(Sheet sheet, const MIDIMessage* message) {
    if (sheet == Sheet::breakdown && !message) return false;
    if (sheet != Sheet::breakdown) message = nullptr;
    if (sheet == open_ && message == message_) return false;
    open_ = sheet;
    message_ = message;
    sequenceNumber_ = message ? message->sequenceNumber : 0;
    return true;
}

bool SheetState::close(Sheet sheet) {
    if (sheet == Sheet::none || sheet != open_) return false;
    return show(Sheet::none);
}

bool SheetState::moveInspected(const MIDIMessage* copy) {
    if (open_ != Sheet::breakdown) return false;
    if (!copy) return show(Sheet::none);
    message_ = copy;
    return false;
}

bool SheetState::messagesDropped(std::int64_t firstKept) {
    if (open_ != Sheet::breakdown || sequenceNumber_ >= firstKept) return false;
    return show(Sheet::none);
}

} // namespace umbrascope
