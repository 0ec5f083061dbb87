#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "app/PausedList.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using namespace testing_support;
using Numbers = std::vector<std::int64_t>;

Numbers range(std::int64_t first, std::int64_t last) {
    Numbers numbers;
    for (std::int64_t n = first; n <= last; ++n)
        numbers.push_back(n);
    return numbers;
}

// Rows kept from the change notifications alone, as the list model keeps them.
struct Rows {
    Numbers rows;
    std::vector<VisibleChange> changes;
    ObserverList<const VisibleChange&>::Subscription subscription;

    explicit Rows(Window& w) : rows(w.visibleNumbers()) {
        subscription = w.view->visibleChanges().subscribe([this, &w](const VisibleChange& c) {
            changes.push_back(c);
            const Numbers now = w.visibleNumbers();
            if (c.reset) rows.clear();
            rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(
                                                        std::min(c.removed, rows.size())));
            const std::size_t added = c.reset ? now.size() : std::min(c.appended, now.size());
            rows.insert(rows.end(), now.end() - static_cast<std::ptrdiff_t>(added), now.end());
        });
    }
};

TEST(PauseTexts, CountsSetApart) {
    const struct {
        std::uint64_t count;
        const char* paused;
        const char* resumed;
    } cases[] = {
        {0, "Paused, 0 new", "Resumed, 0 new messages"},
        {1, "Paused, 1 new", "Resumed, 1 new message"},
        {1204, "Paused, 1,204 new", "Resumed, 1,204 new messages"},
        {100000, "Paused, 100,000 new", "Resumed, 100,000 new messages"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pausedText(c.count), c.paused);
        EXPECT_EQ(resumedText(c.count), c.resumed);
    }
}

// While paused the rows, the announcements and the ticks stand still and arrivals are counted;
// P again says how many came and shows them without announcing or ticking them.
TEST(ContentViewPause, HoldsRowsSpeechAndTicksThenShowsWhatCame) {
    Window w;
    w.view->setClickOnMessage(true);
    w.speechOn();
    w.receive({midi2NoteOn(60)});
    w.report(SpeechReport::finished);
    Rows rows(w);
    const double tokens = w.view->clickPlayer().tokens();

    w.key("p");
    EXPECT_TRUE(w.view->isPaused());
    w.report(SpeechReport::finished);
    w.receive({midi2NoteOn(62)});
    w.receive({midi2NoteOn(64), midi2NoteOn(65)});
    EXPECT_EQ(w.visibleNumbers(), Numbers{0});
    EXPECT_TRUE(rows.changes.empty());
    EXPECT_EQ(w.view->newWhilePaused(), 3u);
    EXPECT_EQ(w.view->midiManager().messages().size(), 4u) << "the buffer still receives";
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), tokens);

    w.key("P");
    EXPECT_FALSE(w.view->isPaused());
    EXPECT_EQ(w.visibleNumbers(), range(0, 3));
    EXPECT_EQ(rows.rows, range(0, 3));
    EXPECT_EQ(rows.changes, (std::vector<VisibleChange>{{0, 3, false}}));
    EXPECT_EQ(w.view->newWhilePaused(), 0u);
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), tokens) << "what came is not ticked";
    w.report(SpeechReport::finished);
    w.receive({midi2NoteOn(67)});
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), tokens - 1);
    EXPECT_EQ(w.spoken(), (Texts{"Note On C4", "Paused", "Resumed, 3 new messages", "Note On G4"}));
}

// The confirmations speak where the switches' do: not with narration off.
TEST(ContentViewPause, ConfirmationsFollowTheNarrationLevel) {
    for (const TTSLevel level : {TTSLevel::off, TTSLevel::short_, TTSLevel::verbose}) {
        Window w;
        w.view->setTTSLevel(level);
        w.key("p");
        if (level != TTSLevel::off) w.report(SpeechReport::finished);
        w.receive({timingClock});
        w.view->togglePause(); // the button
        w.queue.drain();
        const Texts said =
            level == TTSLevel::off ? Texts{} : Texts{"Paused", "Resumed, 1 new message"};
        EXPECT_EQ(w.spoken(), said) << rawValue(level);
    }
}

// A burst far larger than the buffer while paused: the buffer keeps its size, the held list its
// rows, the count every message; resuming shows the buffer as it is.
TEST(ContentViewPause, ABurstLargerThanTheBufferStaysBound) {
    Window w;
    w.receive({midi2NoteOn(60), midi2NoteOn(62)});
    Rows rows(w);
    w.key("p");
    const std::vector<Words> thousand(1000, timingClock);
    for (int i = 0; i < 100; ++i)
        w.receive(thousand);
    const auto& manager = w.view->midiManager();
    EXPECT_EQ(manager.messages().size(), 500u);
    EXPECT_EQ(w.view->listedMessages().size(), 2u);
    EXPECT_EQ(w.visibleNumbers(), (Numbers{0, 1}));
    EXPECT_EQ(w.view->newWhilePaused(), 100'000u);

    w.key("p");
    EXPECT_EQ(w.visibleNumbers(), range(100'002 - 500, 100'001));
    EXPECT_EQ(rows.rows, w.visibleNumbers());
    EXPECT_EQ(rows.changes, (std::vector<VisibleChange>{{2, 500, false}}));
    EXPECT_EQ(w.view->listedMessages().size(), 500u);
}

// While paused the catch-up (the ten seconds before the pause), M, a row's breakdown and export
// read the held list, also after the buffer dropped every message of it.
TEST(ContentViewPause, ReadersAndExportUseTheHeldList) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("umbrascope-pause-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    Window w;
    w.receive({midi2NoteOn(60)});
    w.clock.advance(1500ms);
    w.receive({midi2NoteOn(62)});
    w.key("p");
    w.clock.advance(30s);
    w.receive(std::vector<Words>(600, timingClock));
    ASSERT_EQ(w.view->midiManager().messages().front().sequenceNumber, 102);

    EXPECT_EQ(w.view->recentSummaryText(), "Note On C4, D4");
    w.key("m");
    const std::string reading = w.spoken().back();
    EXPECT_TRUE(reading.starts_with(
        "To stop this reading, press M again. Arrived 1.500 seconds after the start. Fields"))
        << reading;
    EXPECT_NE(reading.find("Note Number: D4"), std::string::npos) << reading;
    w.key("m"); // stops it

    const MIDIMessage& first = w.view->visibleMessages()[0];
    w.view->openBreakdown(first);
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage()->sequenceNumber, 0);
    w.receive({timingClock});
    EXPECT_NE(w.view->inspectedMessage(), nullptr) << "the held list does not trim";

    w.speechOn();
    w.key("e");
    ASSERT_EQ(w.asks.size(), 1u);
    w.asks[0](folder / "held.csv");
    w.background.runAll();
    w.queue.drain();
    std::ostringstream written;
    written << std::ifstream(folder / "held.csv").rdbuf();
    EXPECT_EQ(written.str(), "Source,Hex,TTS Short,TTS Verbose\n"
                             "Keys,40903C00  FFFF0000,Note On C4,Note On C4 Velocity 100.00 "
                             "Percent Channel 1\n"
                             "Keys,40903E00  FFFF0000,D4,Note On D4 Velocity 100.00 Percent "
                             "Channel 1\n");
    std::filesystem::remove_all(folder);

    w.key("p");
    EXPECT_EQ(w.view->inspectedMessage(), nullptr) << "its message left the buffer meanwhile";
    EXPECT_EQ(w.view->recentSummaryText(), "No Recent Messages") << "clock messages say nothing";
}

// A breakdown open at the pause follows its message into the held list and back into the
// buffer; Clear, a smaller buffer and filters act on the held list too.
TEST(ContentViewPause, SheetsClearSizesAndFiltersWhilePaused) {
    Window w;
    w.receive({midi2NoteOn(60), timingClock, midi2NoteOn(62), timingClock});
    w.view->openBreakdown(w.view->midiManager().messages()[2]);
    Rows rows(w);
    w.key("p");
    w.receive({midi2NoteOn(64)});
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage(), &w.view->listedMessages()[2]);

    w.key("c"); // hides the clock in the held list
    EXPECT_EQ(w.visibleNumbers(), (Numbers{0, 2}));
    w.view->midiManager().setMaxMessages(500); // unchanged: nothing happens
    w.key("p");
    EXPECT_EQ(w.visibleNumbers(), (Numbers{0, 2, 4}));
    EXPECT_EQ(rows.rows, w.visibleNumbers());
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage(), &w.view->midiManager().messages()[2])
        << "back in the buffer";

    w.key("p");
    w.receive({midi2NoteOn(65)});
    w.view->midiManager().clearMessages();
    EXPECT_EQ(w.visibleNumbers(), Numbers{});
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->newWhilePaused(), 0u);
    w.receive({midi2NoteOn(67), midi2NoteOn(69)});
    EXPECT_EQ(w.view->newWhilePaused(), 2u);
    w.key("p");
    EXPECT_EQ(w.visibleNumbers(), (Numbers{6, 7}));
    EXPECT_EQ(rows.rows, w.visibleNumbers());
}

TEST(ContentViewPause, ASmallerBufferTrimsTheHeldList) {
    Window w;
    w.view->midiManager().setMaxMessages(1000);
    w.receive(std::vector<Words>(800, midi2NoteOn(60)));
    w.view->openBreakdown(w.view->midiManager().messages()[10]);
    Rows rows(w);
    w.key("p");
    w.view->midiManager().setMaxMessages(500);
    EXPECT_EQ(w.view->listedMessages().size(), 500u);
    EXPECT_EQ(w.visibleNumbers(), range(300, 799));
    EXPECT_EQ(rows.rows, w.visibleNumbers());
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
}

// The rows' times: seconds since the window was made, or the time of day, on the window's clock.
TEST(ContentViewTime, RowsTellWhenTheirMessageArrived) {
    Window w;
    w.clock.advance(12'345'678us);
    w.receive({midi2NoteOn(60)});
    const MIDIMessage& message = w.view->visibleMessages()[0];
    const ArrivalTimes& times = w.view->arrivalTimes();
    EXPECT_EQ(times.text(message), "12.345");
    EXPECT_EQ(times.sentence(message), "Arrived 12.345 seconds after the start.");
    w.speechOn();
    w.view->setTimeStyle(TimeStyle::timeOfDay);
    w.queue.drain();
    // The fake clock's day starts at 1,800,000,000 s: 08:00:00 UTC.
    EXPECT_EQ(times.text(message), "08:00:12.345");
    EXPECT_EQ(times.sentence(message), "Arrived at 08:00:12.345.");
    EXPECT_EQ(times.sinceStartText(message), "12.345") << "the CSV's column keeps its style";
    EXPECT_EQ(w.spoken(), Texts{"Time of Day"});
}

} // namespace
} // namespace umbrascope
