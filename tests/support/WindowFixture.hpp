#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ContentView.hpp"
#include "core/ManualScheduler.hpp"
#include "support/FakeMidiService.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "support/ManualBackgroundQueue.hpp"
#include "support/SchedulerDriver.hpp"

namespace umbrascope::testing_support {

using Words = std::vector<std::uint32_t>;

inline Words midi2NoteOn(std::uint32_t note) {
    return {0x40900000 | (note << 8), 0xFFFF0000};
}
inline const Words timingClock{0x10F80000};
inline const Words activeSensing{0x10FE0000};
inline const Words midi1NoteOn{0x20903C64};

// A window on fakes: a MIDI service fed by the test, a synthesizer that reports when told, a
// fake clock with a manual scheduler, and export locations answered by the test.
struct Window {
    static constexpr std::int32_t keysID = 1;

    FakeClock clock;
    FakeMidiService service;
    SourceRef keys = service.addSource({"Keys", keysID, true});
    ManualQueue queue;
    ManualScheduler scheduler{clock};
    ManualBackgroundQueue background;
    AudioEngine engine{nullptr};
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    std::vector<ExportLocationAnswer> asks;
    std::unique_ptr<ContentView> view = std::make_unique<ContentView>(ContentViewServices{
        service, std::make_unique<FakeSpeechSynthesizer>(log), engine, queue, scheduler, background,
        clock, [this](ExportLocationAnswer answer) { asks.push_back(answer); }});

    Window() { view->midiManager().setEnabledSourceIDs({keysID}); }

    // One event list of one event packet per entry, from the Keys source.
    void receive(const std::vector<Words>& packets, std::optional<SourceRef> source = {}) {
        EventList list;
        for (const auto& words : packets)
            list.add(words);
        service.deliver(list, source.value_or(keys));
        queue.drain();
    }
    void receiveEach(const std::vector<Words>& messages) {
        for (const auto& words : messages)
            receive({words});
    }
    KeyResult key(std::string_view characters) {
        const KeyResult result = view->handleKey(characters);
        queue.drain();
        return result;
    }
    KeyResult arrow(ArrowKey which) {
        const KeyResult result = view->handleKey(which);
        queue.drain();
        return result;
    }
    void speechOn(TTSLevel level = TTSLevel::short_) {
        view->setTTSLevel(level);
        queue.drain();
    }
    std::vector<std::string> spoken() const { return log->spokenTexts(); }
    void forgetSpeech() { log->calls.clear(); }
    // The synthesizer reports on the current utterance.
    void report(SpeechReport kind) {
        log->send(view->speechAnnouncer().currentUtterance()->id, kind);
        queue.drain();
    }
    void runFor(Duration span) { testing_support::runFor(clock, scheduler, span); }

    std::vector<std::int64_t> visibleNumbers() const {
        std::vector<std::int64_t> numbers;
        for (const MIDIMessage& m : view->visibleMessages())
            numbers.push_back(m.sequenceNumber);
        return numbers;
    }
};

} // namespace umbrascope::testing_support
