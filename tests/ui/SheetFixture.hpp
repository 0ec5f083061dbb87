#pragma once

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.hpp"
#include "app/ContentView.hpp"
#include "core/ManualScheduler.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "support/RecordingMidiService.hpp"
#include "support/WindowFixture.hpp"
#include "ui/KeyRouter.hpp"

namespace umbrascope::test {

using testing_support::FakeSpeechSynthesizer;
using testing_support::ManualBackgroundQueue;
using testing_support::RecordingMidiService;

inline const std::vector<RecordingMidiService::Source> twoSources{
    {"Keys", 1, true},
    {"Bass & Drums", 2, false},
};

// A monitor on fakes (MIDI sources, synthesizer, clock, queues run by hand) and a plain window
// standing in for the monitor window: its key commands, also typed into its dialogs, go to the
// view as the monitor window sends them. Export locations are answered by `asker`, when set.
struct SheetWindow {
    static constexpr std::int32_t keysID = 1;
    static constexpr std::int32_t drumsID = 2;

    FakeClock clock;
    RecordingMidiService service;
    std::vector<SourceRef> sources;
    ManualQueue queue;
    ManualScheduler scheduler{clock};
    ManualBackgroundQueue background;
    AudioEngine engine{nullptr};
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    AskForExportLocation asker;
    std::unique_ptr<ContentView> view;
    // After the view, so that the window and its sheets go first.
    QWidget window;

    explicit SheetWindow(const std::vector<RecordingMidiService::Source>& plugged = twoSources,
                         std::vector<Voice> voices = {}) {
        for (const auto& source : plugged)
            sources.push_back(service.plugIn(source));
        log->voices = std::move(voices);
        view = std::make_unique<ContentView>(ContentViewServices{
            service, std::make_unique<FakeSpeechSynthesizer>(log), engine, queue, scheduler,
            background, clock, [this](ExportLocationAnswer answer) {
                if (asker)
                    asker(std::move(answer));
                else
                    answer(std::nullopt);
            }});
        queue.drain(); // the first scan publishes the sources
        KeyRouter::instance().setHandler(&window, [this](const KeyCommand& command) {
            KeyResult result = KeyResult::ignored;
            if (command.kind == KeyCommand::Kind::character)
                result = view->handleKey(std::string(1, command.character));
            else
                result = view->handleKey(
                    command.kind == KeyCommand::Kind::upArrow ? ArrowKey::up : ArrowKey::down);
            queue.drain();
            return result == KeyResult::handled;
        });
        window.resize(800, 500);
        window.show();
        (void)QTest::qWaitForWindowActive(&window);
    }
    ~SheetWindow() { KeyRouter::removeHandler(&window); }

    // One event list of one packet from the source at `index` of `sources`.
    void receive(std::initializer_list<std::uint32_t> words, std::size_t index = 0) {
        EventList list;
        list.add(words);
        service.deliver(list, sources.at(index));
        queue.drain();
    }
    const MIDIMessage& newest() const { return view->midiManager().messages().back(); }

    std::vector<std::string> spoken() const { return log->spokenTexts(); }
    std::size_t stops() const {
        std::size_t count = 0;
        for (const auto& call : log->calls)
            count += call.kind == FakeSpeechSynthesizer::Call::Kind::stop;
        return count;
    }
    // The synthesizer reports on the utterance being said.
    void report(SpeechReport kind) {
        log->send(view->speechAnnouncer().currentUtterance()->id, kind);
        queue.drain();
    }
    void speak(const std::string& text) {
        view->speechAnnouncer().speakNow(text);
        queue.drain();
        report(SpeechReport::started);
    }
};

// Waits until the sheet is the active window, the one that gets the keys.
inline bool activate(QDialog* sheet) {
    return sheet && waitFor([&] { return QApplication::activeWindow() == sheet; });
}

// True once the sheet is closed and deleted.
inline bool gone(const QPointer<QDialog>& sheet) {
    return waitFor([&] { return sheet.isNull(); });
}

inline QString accessibleText(QObject* object, QAccessible::Text text) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    return accessible ? accessible->text(text) : QString();
}

// The widgets that Tab visits from `start`, until it comes back (or a bound is reached).
inline std::vector<QWidget*> tabCycle(QDialog* sheet, QWidget* start) {
    std::vector<QWidget*> visited;
    start->setFocus();
    for (int i = 0; i < 100; ++i) {
        visited.push_back(sheet->focusWidget());
        QTest::keyClick(sheet->focusWidget(), Qt::Key_Tab);
        if (sheet->focusWidget() == start) break;
    }
    return visited;
}

} // namespace umbrascope::test
