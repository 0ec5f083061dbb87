#include "app/CSVExport.hpp"

#include <memory>
#include <new>

#include "text/CSVText.hpp"

namespace umbrascope {

std::string exportResultText(bool succeeded, std::size_t messageCount) {
    if (!succeeded) return "Export Failed";
    return "Exported " + std::to_string(messageCount) + " Messages";
}

CSVExporter::CSVExporter(BackgroundQueue& background, MainQueue& main, NarrationLevel level,
                         SpeakNow speakNow, FileWriter writer)
    : background_(background), main_(main), level_(std::move(level)),
      speakNow_(std::move(speakNow)), writer_(std::move(writer)) {
    if (!writer_)
        writer_ = [](const std::filesystem::path& location, std::string_view text) {
            return writeFileAtomically(location, text);
        };
}

void CSVExporter::exportCSV(std::vector<MIDIMessage> messages, std::filesystem::path location) {
    background_.post([&main = main_, level = level_, speakNow = speakNow_, writer = writer_,
                      messages = std::move(messages), location = std::move(location)] {
        bool succeeded = false;
        try {
            succeeded = !writer(location, csvText(messages)).has_value();
        } catch (const std::bad_alloc&) {
            // Out of memory fails this export, not the program.
        }
        const std::string result = exportResultText(succeeded, messages.size());
        main.post([level, speakNow, result] {
            if (level() != TTSLevel::off) speakNow(result);
        });
    });
}

} // namespace umbrascope
