#pragma once

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/ContentView.hpp"
#include "core/ManualScheduler.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeMIDIService.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "support/SchedulerDriver.hpp"

namespace umbrascope::testing_support {

using Words = std::vector<std::uint32_t>;
using Texts = std::vector<std::string>;

inline Words midi2NoteOn(std::uint32_t note) {
    return {0x40900000 | (note << 8), 0xFFFF0000};
}
inline const Words timingClock{0x10F80000};
inline const Words activeSensing{0x10FE0000};
inline const Words midi1NoteOn{0x20903C64};

class ManualBackgroundQueue final : public BackgroundQueue {
public:
    void post(std::function<void()> task) override { tasks.push_back(std::move(task)); }
    std::size_t runAll() {
        std::size_t ran = 0;
        for (; !tasks.empty(); ++ran) {
            auto task = std::move(tasks.front());
            tasks.pop_front();
            task();
        }
        return ran;
    }
    std::deque<std::function<void()>> tasks;
};

// A view on fakes: MIDI from `service`, a synthesizer that reports when told, a fake clock
// driving a manual scheduler, and queues run by hand. Export locations go to `asker` when set,
// else they wait in `asks` for the test to answer.
template <typename Service>
struct ViewOnFakes {
    FakeClock clock;
    Service service;
    ManualQueue queue;
    ManualScheduler scheduler{clock};
    ManualBackgroundQueue background;
    AudioEngine engine{nullptr};
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    std::vector<ExportLocationAnswer> asks;
    AskForExportLocation asker;
    std::unique_ptr<ContentView> view;

    void makeView() {
        view = std::make_unique<ContentView>(ContentViewServices{
            service, std::make_unique<FakeSpeechSynthesizer>(log), engine, queue, scheduler,
            background, clock, [this](ExportLocationAnswer answer) {
                asker ? asker(std::move(answer)) : asks.push_back(std::move(answer));
            }});
    }
    KeyResult key(std::string_view characters) {
        const KeyResult result = view->handleKey(characters);
        queue.drain();
        return result;
    }
    void speechOn(TTSLevel level = TTSLevel::short_) { view->setTTSLevel(level); }
    Texts spoken() const { return log->spokenTexts(); }
    std::size_t stops() const {
        return static_cast<std::size_t>(std::ranges::count(log->calls,
                                                           FakeSpeechSynthesizer::Call::Kind::stop,
                                                           &FakeSpeechSynthesizer::Call::kind));
    }
    // The synthesizer reports on the utterance being said.
    void report(SpeechReport kind) {
        log->send(view->speechAnnouncer().currentUtterance()->id, kind);
        queue.drain();
    }
    // Something being said when the test goes on.
    void speak(const std::string& text) {
        view->speechAnnouncer().speakNow(text);
        queue.drain();
        report(SpeechReport::started);
    }
    void runFor(Duration span) { testing_support::runFor(clock, scheduler, span); }
};

// A view with one source, "Keys", whose messages the test delivers.
struct Window : ViewOnFakes<FakeMIDIService> {
    static constexpr std::int32_t keysID = 1;
    SourceRef keys = service.addSource({"Keys", keysID, true});

    Window() {
        makeView();
        view->midiManager().setEnabledSourceIDs({keysID});
    }
    // One event list, one event packet per entry.
    void receive(const std::vector<Words>& packets, std::optional<SourceRef> source = {}) {
        EventList list;
        for (const auto& words : packets)
            list.add(words);
        service.deliver(list, source.value_or(keys));
        queue.drain();
    }
    std::vector<std::int64_t> visibleNumbers() const {
        std::vector<std::int64_t> numbers;
        for (const MIDIMessage& m : view->visibleMessages())
            numbers.push_back(m.sequenceNumber);
        return numbers;
    }
};

} // namespace umbrascope::testing_support
