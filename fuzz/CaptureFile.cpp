// Capture files come from users and from other programs: any bytes either parse into packets of
// 1 to 64 words under a bounded name or raise a CaptureError, and never crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "midi/replay/CaptureFile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const umbrascope::Capture capture = umbrascope::parseCapture(text, "fuzz.ump");
        if (capture.sourceName.size() > umbrascope::maxSourceNameBytes) std::abort();
        for (const auto& line : capture.lines) {
            const auto words = capture.words(line);
            if (words.empty() || words.size() > umbrascope::maxCaptureWords) std::abort();
            if (line.delay < std::chrono::nanoseconds::zero() ||
                line.delay > umbrascope::maxCaptureDelay)
                std::abort();
        }
    } catch (const umbrascope::CaptureError&) {
    }
    return 0;
}
