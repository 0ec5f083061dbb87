#include "midi/replay/DemoCapture.hpp"

namespace umbrascope {

Capture demoCapture() {
    Capture capture = parseCapture(demoCaptureText(), "demo.ump");
    capture.sourceName = "Demo";
    return capture;
}

} // namespace umbrascope
