#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UiTestSupport.hpp"
#include "support/RecordingMIDIService.hpp"
#include "support/WindowFixture.hpp"
#include "ui/MonitorController.hpp"
#include "ui/MonitorWindow.hpp"

namespace umbrascope::test {

using testing_support::RecordingMIDIService;

inline const std::vector<RecordingMIDIService::Source> twoSources{
    {"Keys", 1, true},
    {"Bass & Drums", 2, false},
};

// The monitor window over a view on fakes. Unbound, the window's key commands (also typed into
// the sheets a test opens on it) go straight to the view; `bind()` puts the controller between.
struct Monitor : testing_support::ViewOnFakes<RecordingMIDIService> {
    static constexpr std::int32_t keysID = 1;
    static constexpr std::int32_t drumsID = 2;

    std::vector<SourceRef> sources;
    // After the view, so that the window and its sheets go first.
    MonitorWindow window;
    std::unique_ptr<MonitorController> controller;

    explicit Monitor(const std::vector<RecordingMIDIService::Source>& plugged = twoSources,
                     std::vector<Voice> voices = {}) {
        for (const auto& source : plugged)
            sources.push_back(service.plugIn(source));
        log->voices = std::move(voices);
        makeView();
        queue.drain(); // the first scan publishes the sources
        window.setKeyHandler([this](const WindowKey& pressed) {
            const KeyResult result = view->handleKey(pressed);
            queue.drain();
            return result == KeyResult::handled;
        });
        window.resize(900, 600);
        window.show();
        (void)QTest::qWaitForWindowActive(&window);
    }
    void bind(SheetOpeners openers = SheetOpeners::standard()) {
        controller = std::make_unique<MonitorController>(*view, window, std::move(openers));
        queue.drain();
    }

    // One event list of `count` copies of a packet from the source at `index` of `sources`.
    void receive(const testing_support::Words& words, std::size_t count = 1,
                 std::size_t index = 0) {
        EventList list;
        for (std::size_t i = 0; i < count; ++i)
            list.add(words);
        service.deliver(list, sources.at(index));
        queue.drain();
    }
    const MIDIMessage& newest() const { return view->midiManager().messages().back(); }
};

} // namespace umbrascope::test
