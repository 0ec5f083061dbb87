#include "app/CaptureFiles.hpp"

#include <algorithm>
#include <new>
#include <utility>

#include "app/AtomicFile.hpp"
#include "midi/replay/CaptureWriter.hpp"

namespace umbrascope {

namespace {

// "1,234": as a screen reader reads a count, and as it is shown.
std::string grouped(std::size_t count) {
    const std::string digits = std::to_string(count);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::string fileName(const std::filesystem::path& path) {
    return path.filename().string();
}

// What a background task hands back: the capture, or why there is none.
struct Loaded {
    std::optional<Capture> capture;
    std::string failure;
};

} // namespace

std::string captureSaveResultText(const std::optional<std::string>& failure, std::size_t count,
                                  const std::filesystem::path& location) {
    if (failure) return "Save failed: " + *failure;
    return "Saved " + grouped(count) + (count == 1 ? " message" : " messages") + " to " +
           fileName(location);
}

CaptureFiles::CaptureFiles(Services services)
    : view_(services.view), background_(services.background), main_(services.main),
      askSaveLocation_(std::move(services.askSaveLocation)),
      askToOpen_(std::move(services.askToOpen)), sources_(std::move(services.sources)) {
    sourcesSubscription_ =
        view_.midiManager().observers().subscribe([this](MIDIManagerProperty property) {
            if (property == MIDIManagerProperty::availableSources) sourcesChanged();
        });
}

CaptureFiles::~CaptureFiles() {
    lifetime_.end();
}

void CaptureFiles::say(const std::string& text) {
    if (view_.ttsLevel() != TTSLevel::off) view_.speechAnnouncer().speakNow(text);
}

// --- Save -------------------------------------------------------------------------------------

void CaptureFiles::requestSave() {
    owner_.check("CaptureFiles::requestSave");
    if (view_.midiManager().messages().empty()) {
        say("No Messages To Save");
        return;
    }
    say(std::string(saveDialogTitle));
    if (!askSaveLocation_) return;
    askSaveLocation_(lifetime_.guard([this](std::optional<std::filesystem::path> location) {
        if (location) save(std::move(*location));
    }));
}

void CaptureFiles::save(std::filesystem::path location) {
    // Taken now, after the answer: messages received while the dialog was open are included.
    const auto& messages = view_.midiManager().messages();
    background_.post([&main = main_, location = std::move(location),
                      messages = std::vector<MIDIMessage>(messages.begin(), messages.end()),
                      done = lifetime_.guard([this](const std::string& result) { say(result); })] {
        std::optional<std::string> failure;
        try {
            failure = writeFileAtomically(location, captureText(messages));
        } catch (const std::bad_alloc&) {
            failure = location.string() + ": out of memory";
        }
        main.post([done, result = captureSaveResultText(failure, messages.size(),
                                                        location)]() mutable { done(result); });
    });
}

// --- Open -------------------------------------------------------------------------------------

void CaptureFiles::requestOpen() {
    owner_.check("CaptureFiles::requestOpen");
    say(std::string(openDialogTitle));
    if (!askToOpen_) return;
    askToOpen_(lifetime_.guard([this](std::optional<CaptureToOpen> choice) {
        if (choice) open(std::move(*choice));
    }));
}

void CaptureFiles::open(CaptureToOpen choice) {
    owner_.check("CaptureFiles::open");
    const ReplayPace pace = choice.playAtOnce ? ReplayPace::asFastAsPossible : ReplayPace::recorded;
    background_.post([&main = main_, file = std::move(choice.file), pace,
                      done = lifetime_.guard([this, pace](std::shared_ptr<Loaded> loaded,
                                                          const std::filesystem::path& file) {
                          if (loaded->capture)
                              opened(std::move(*loaded->capture), pace, file);
                          else
                              view_.showFileNotice("Capture not opened: " + loaded->failure);
                      })] {
        auto loaded = std::make_shared<Loaded>();
        try {
            loaded->capture = loadCapture(file);
        } catch (const CaptureError& error) {
            loaded->failure = error.what();
        } catch (const std::bad_alloc&) {
            loaded->failure = file.string() + ": out of memory";
        }
        main.post([done, loaded, file]() mutable { done(loaded, file); });
    });
}

std::string CaptureFiles::freeName(const std::string& name) const {
    const auto taken = [&](const std::string& candidate) {
        const auto& listed = view_.midiManager().availableSources();
        return std::ranges::any_of(listed,
                                   [&](const MIDISourceInfo& s) { return s.name == candidate; }) ||
               std::ranges::any_of(pending_, [&](const Pending& p) { return p.name == candidate; });
    };
    std::string candidate = name;
    for (int number = 2; taken(candidate); ++number)
        candidate = name + " (" + std::to_string(number) + ")";
    return candidate;
}

void CaptureFiles::opened(Capture capture, ReplayPace pace, const std::filesystem::path& file) {
    // Two sources of one name would share one id, and one switch in Device Settings.
    capture.sourceName = freeName(capture.sourceName);
    std::string warnings;
    for (const std::string& warning : capture.warnings)
        warnings += (warnings.empty() ? "" : "; ") + warning;
    const std::string name = capture.sourceName;
    const SourceRef source = sources_.add(std::make_shared<const Capture>(std::move(capture)));
    pending_.push_back({source, replaySourceID(name), name, pace});
    const std::string result = "Opened " + fileName(file) + " as " + name;
    if (warnings.empty()) {
        view_.showFileNotice({});
        say(result);
    } else {
        view_.showFileNotice(result + ", with a warning: " + warnings);
    }
}

void CaptureFiles::sourcesChanged() {
    const auto& listed = view_.midiManager().availableSources();
    const auto isListed = [&](const Pending& p) {
        return std::ranges::any_of(listed, [&](const MIDISourceInfo& s) { return s.id == p.id; });
    };
    for (const Pending& ready : pending_)
        if (isListed(ready))
            // After the task that listed it, which enables it once the observers have been told.
            main_.post(lifetime_.guard([this, ready] { sources_.play(ready.source, ready.pace); }));
    std::erase_if(pending_, isListed);
}

} // namespace umbrascope
