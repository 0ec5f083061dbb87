#include "ui/Sheets.hpp"

#include "ui/BreakdownSheet.hpp"
#include "ui/DeviceSettingsSheet.hpp"
#include "ui/UserGuideSheet.hpp"

namespace umbrascope {

namespace {

QDialog* present(QDialog* sheet) {
    sheet->open();
    sheet->activateWindow();
    return sheet;
}

} // namespace

QDialog* openBreakdownSheet(ContentView& view, QWidget* window) {
    const MIDIMessage* message = view.inspectedMessage();
    if (!message) return nullptr;
    return present(new BreakdownSheet(view, *message, window));
}

QDialog* openDeviceSettingsSheet(ContentView& view, QWidget* window) {
    return present(new DeviceSettingsSheet(view, window));
}

QDialog* openUserGuideSheet(ContentView& view, QWidget* window) {
    return present(new UserGuideSheet(view, window));
}

} // namespace umbrascope
