#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSpeechDaemon.hpp"
#include "support/SpeechReports.hpp"
#endif

namespace umbrascope {
namespace {

#ifdef HAVE_UMBRASCOPE_SPEECHD

using testing_support::FakeSpeechDaemon;
using testing_support::SpeechReports;
using E = SsipEvent;
using R = SpeechReport;

// Every utterance ends once, and one the daemon cannot say ends as a failure, with the reason the
// fallback's notice gives; one that waits behind other speech does not. The daemon's events
// arrive before its answer to the say.
TEST(SpeechDispatcherSynthesizer, EachUtteranceEndsOnceAndSaysHow) {
    enum class Daemon { answers, refusesText, hangs, absent, dies };
    using D = Daemon;
    const struct {
        const char* name;
        Daemon daemon;
        std::vector<SsipEvent> eventsOnSay;
        bool waitsForBounds; // short bounds only where the case waits for them to pass
        std::vector<SpeechReport> expected;
        std::string failureReason;
    } cases[] = {
        {"endsNormally", D::answers, {E::begin, E::end}, false, {R::started, R::finished}, ""},
        {"beginsTwice",
         D::answers,
         {E::begin, E::begin, E::end},
         false,
         {R::started, R::finished},
         ""},
        {"cancelledByTheDaemon",
         D::answers,
         {E::begin, E::cancel},
         false,
         {R::started, R::cancelled},
         ""},
        {"beginsButNeverEnds",
         D::answers,
         {E::begin},
         true,
         {R::started, R::failed},
         "speech-dispatcher did not finish speaking (has it an audio output?)"},
        {"waitsBehindAnotherClient", D::answers, {}, true, {R::cancelled}, ""},
        {"neverAnswersTheSay", D::hangs, {}, true, {R::failed}, "speech-dispatcher did not answer"},
        {"refusesTheText",
         D::refusesText,
         {},
         false,
         {R::failed},
         "speech-dispatcher did not take the text"},
        {"noDaemonRunning", D::absent, {}, false, {R::failed}, "speech-dispatcher is not running"},
        {"diesMidUtterance",
         D::dies,
         {E::begin},
         false,
         {R::started, R::failed},
         "speech-dispatcher closed the connection (did it stop?)"},
    };
    for (const auto& c : cases) {
        auto daemon = std::make_shared<FakeSpeechDaemon>();
        daemon->running = c.daemon != D::absent;
        daemon->refusesText = c.daemon == D::refusesText;
        daemon->hangs = c.daemon == D::hangs;
        daemon->dropsAfterSay = c.daemon == D::dies;
        daemon->eventsOnSay = c.eventsOnSay;
        // A slow machine cannot cut short a case that ends by the daemon's own events.
        const auto bound = std::chrono::milliseconds(c.waitsForBounds ? 100 : 600'000);
        SpeechReports reports;
        {
            SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon),
                                                    {bound, bound, std::chrono::milliseconds(0)});
            reports.listenTo(synthesizer);
            synthesizer.speak({5, "Note On C4", 0.5f, 1.0f, std::nullopt});
            if (c.expected.back() == R::cancelled && c.eventsOnSay.empty())
                // Nothing is to come: five bounds pass without a failure.
                std::this_thread::sleep_for(bound * 5);
            else
                reports.waitFor(c.expected.size());
            daemon->release();
            EXPECT_EQ(synthesizer.connectionError(),
                      c.daemon == D::absent ? "no daemon at the socket" : "")
                << c.name;
            EXPECT_EQ(synthesizer.failureReason(), c.failureReason) << c.name;
        }
        EXPECT_EQ(reports.of(5), c.expected) << c.name;
        EXPECT_EQ(reports.seen().size(), c.expected.size()) << c.name;
        std::lock_guard lock(daemon->mutex);
        EXPECT_EQ(daemon->said.size(), daemon->running ? 1u : 0u) << c.name;
    }
}

// Beside a screen reader that speaks at `message`: a confirmation goes first, a reading gives way
// (and is said again when the echo of its own key cut it), an announcement only fills silence.
TEST(SpeechDispatcherSynthesizer, EachKindHasItsPriorityAndAReadingCutByTheKeyEchoIsSaidAgain) {
    using K = UtteranceKind;
    using P = SsipPriority;
    const struct {
        const char* name;
        UtteranceKind kind;
        std::chrono::milliseconds echo;
        std::vector<SsipPriority> said;
        std::vector<SpeechReport> expected;
    } cases[] = {
        {"confirmation",
         K::confirmation,
         std::chrono::minutes(10),
         {P::important},
         {R::started, R::cancelled}},
        {"readingCutByTheEcho",
         K::reading,
         std::chrono::minutes(10),
         {P::text, P::text},
         {R::started, R::finished}},
        {"readingCutLater",
         K::reading,
         std::chrono::milliseconds(0),
         {P::text},
         {R::started, R::cancelled}},
        {"announcement",
         K::announcement,
         std::chrono::minutes(10),
         {P::notification},
         {R::started, R::cancelled}},
    };
    for (const auto& c : cases) {
        auto daemon = std::make_shared<FakeSpeechDaemon>();
        daemon->eventsOnSay = {E::begin, E::cancel};
        daemon->eventsOnLaterSays = {{E::begin, E::end}};
        SpeechReports reports;
        {
            SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon),
                                                    {std::chrono::minutes(10),
                                                     std::chrono::minutes(10),
                                                     std::chrono::milliseconds(0), c.echo});
            reports.listenTo(synthesizer);
            Utterance utterance{5, "User guide", 0.5f, 1.0f, std::nullopt, c.kind};
            synthesizer.speak(utterance);
            reports.waitFor(c.expected.size());
        }
        EXPECT_EQ(reports.of(5), c.expected) << c.name;
        std::lock_guard lock(daemon->mutex);
        EXPECT_EQ(daemon->priorities, c.said) << c.name;
    }
}

// A message from the screen reader drops a `text` message still queued with no more than a
// cancel notice: a reading of which not a word was heard goes back in the queue behind it, a
// bounded number of times; anything else, or a reading already begun, ends there.
TEST(SpeechDispatcherSynthesizer, AReadingDroppedBeforeItBeganIsHandedOverAgain) {
    using K = UtteranceKind;
    const struct {
        const char* name;
        UtteranceKind kind;
        std::vector<SsipEvent> first, later;
        std::size_t said;
        std::vector<SpeechReport> expected;
    } cases[] = {
        {"droppedOnce", K::reading, {E::cancel}, {E::begin, E::end}, 2, {R::started, R::finished}},
        {"droppedEveryTime", K::reading, {E::cancel}, {E::cancel}, 4, {R::cancelled}},
        {"droppedAfterTheEchoCut",
         K::reading,
         {E::begin, E::cancel},
         {E::cancel},
         5,
         {R::started, R::cancelled}},
        {"begunAndCut", K::reading, {E::begin, E::cancel}, {}, 1, {R::started, R::cancelled}},
        {"confirmation", K::confirmation, {E::cancel}, {E::begin, E::end}, 1, {R::cancelled}},
        {"heading", K::heading, {E::cancel}, {E::begin, E::end}, 1, {R::cancelled}},
    };
    for (const auto& c : cases) {
        auto daemon = std::make_shared<FakeSpeechDaemon>();
        daemon->eventsOnSay = c.first;
        daemon->eventsOnLaterSays = c.later;
        // The key's echo cuts only where the case says so: a begun reading is cut within it.
        const auto echo = c.name == std::string("begunAndCut") ? std::chrono::milliseconds(0)
                                                               : std::chrono::minutes(10);
        SpeechReports reports;
        {
            const auto forever = std::chrono::minutes(10);
            SpeechDispatcherSynthesizer synthesizer(
                FakeSpeechDaemon::connector(daemon),
                {forever, forever, std::chrono::milliseconds(0), echo, forever, forever, 3});
            reports.listenTo(synthesizer);
            synthesizer.speak({5, "User guide", 0.5f, 1.0f, std::nullopt, c.kind});
            reports.waitFor(c.expected.size());
            EXPECT_EQ(synthesizer.failureReason(), "") << c.name;
        }
        EXPECT_EQ(reports.of(5), c.expected) << c.name;
        std::lock_guard lock(daemon->mutex);
        EXPECT_EQ(daemon->said.size(), c.said) << c.name;
    }
}

// The daemon took a reading and, with no other client's speech in sight, never began it: said
// again, the queued copy is dropped by the daemon itself, so the user hears it once.
TEST(SpeechDispatcherSynthesizer, AReadingTheDaemonHoldsWhileQuietIsHandedOverAgain) {
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->eventsOnLaterSays = {{E::begin, E::end}};
    FakeClock clock;
    SpeechReports reports;
    const auto day = std::chrono::hours(24);
    SpeechDispatcherSynthesizer synthesizer(
        FakeSpeechDaemon::connector(daemon),
        {day, day, std::chrono::milliseconds(0), day, day, std::chrono::seconds(3), 3}, clock);
    reports.listenTo(synthesizer);
    synthesizer.speak({5, "User guide", 0.5f, 1.0f, std::nullopt, UtteranceKind::reading});
    // Time passes for the daemon until the watchdog has acted.
    reports.waitFor(2, [&] {
        clock.advance(std::chrono::seconds(1));
        return false;
    });
    EXPECT_EQ(reports.of(5), (std::vector<SpeechReport>{R::started, R::finished}));
    EXPECT_EQ(synthesizer.failureReason(), "");
    std::lock_guard lock(daemon->mutex);
    EXPECT_EQ(daemon->priorities,
              (std::vector<SsipPriority>{SsipPriority::text, SsipPriority::text}));
}

TEST(SpeechDispatcherSynthesizer, AReadingHasStalledOnlyWhenNoOtherClientSpokeMeanwhile) {
    using namespace std::chrono_literals;
    const MonoTime taken{};
    const struct {
        const char* name;
        std::chrono::milliseconds waited;
        std::optional<std::chrono::milliseconds> othersSpokeAfterTaking;
        bool stalled;
    } cases[] = {
        {"notLongEnough", 2999ms, std::nullopt, false},
        {"longEnough", 3000ms, std::nullopt, true},
        {"othersSpokeLately", 5000ms, 2500ms, false},
        {"othersSpokeLongAgo", 7000ms, 1000ms, true},
        {"othersSpokeBeforeItWasTaken", 3000ms, -500ms, true},
    };
    SpeechDispatcherBounds bounds;
    bounds.stalled = 3s;
    for (const auto& c : cases) {
        std::optional<MonoTime> othersSpoke;
        if (c.othersSpokeAfterTaking) othersSpoke = taken + *c.othersSpokeAfterTaking;
        EXPECT_EQ(readingStalled(taken, othersSpoke, taken + c.waited, bounds), c.stalled)
            << c.name;
    }
}

// Stop ends what was handed over at once, without waiting for the daemon; shutdown ends the rest.
TEST(SpeechDispatcherSynthesizer, StopEndsEveryUtteranceHandedOverExactlyOnce) {
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->eventsOnSay = {E::begin};
    SpeechReports reports;
    {
        SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon));
        reports.listenTo(synthesizer);
        for (std::uint64_t id = 1; id <= 3; ++id)
            synthesizer.speak({id, "Queued words", 0.5f, 0.5f, std::nullopt});
        synthesizer.stopSpeaking();
        for (std::uint64_t id = 1; id <= 3; ++id)
            EXPECT_EQ(reports.ends(id), 1) << "utterance " << id;
        synthesizer.speak({4, "Left at shutdown", 0.5f, 0.5f, std::nullopt});
    }
    for (std::uint64_t id = 1; id <= 4; ++id)
        EXPECT_EQ(reports.ends(id), 1) << "utterance " << id;
}

// A daemon that has played for us has an audio output: an utterance it begins and does not end
// is held up by something else (a screen reader's speech), and no reason for a second voice.
TEST(SpeechDispatcherSynthesizer, AnOverdueUtteranceOfADaemonThatHasPlayedIsNoFailure) {
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->eventsOnSay = {E::begin, E::end};
    daemon->eventsOnLaterSays = {{E::begin}};
    SpeechReports reports;
    const auto bound = std::chrono::milliseconds(100);
    SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon),
                                            {bound, bound, std::chrono::milliseconds(0)});
    reports.listenTo(synthesizer);
    synthesizer.speak({1, "TTS Short", 0.5f, 1.0f, std::nullopt});
    reports.waitFor(2);
    synthesizer.speak({2, "Devices", 0.5f, 1.0f, std::nullopt});
    reports.waitFor(4);
    EXPECT_EQ(reports.of(2), (std::vector<SpeechReport>{R::started, R::cancelled}));
    EXPECT_EQ(synthesizer.failureReason(), "");
}

// Right after the screen reader cut one of ours off, its next words follow: an announcement
// would only be in their way.
TEST(SpeechDispatcherSynthesizer, NoAnnouncementBeginsRightAfterAnotherClientSpoke) {
    const struct {
        const char* name;
        std::chrono::milliseconds quiet;
        std::size_t said;
        std::vector<SpeechReport> announcement;
    } cases[] = {
        {"withinTheQuietTime", std::chrono::minutes(10), 1, {R::cancelled}},
        {"afterIt", std::chrono::milliseconds(0), 2, {R::started, R::finished}},
    };
    for (const auto& c : cases) {
        auto daemon = std::make_shared<FakeSpeechDaemon>();
        daemon->eventsOnSay = {E::begin, E::cancel};
        daemon->eventsOnLaterSays = {{E::begin, E::end}};
        SpeechReports reports;
        {
            const auto forever = std::chrono::minutes(10);
            SpeechDispatcherSynthesizer synthesizer(
                FakeSpeechDaemon::connector(daemon),
                {forever, forever, std::chrono::milliseconds(0), forever, c.quiet});
            reports.listenTo(synthesizer);
            synthesizer.speak({1, "TTS Short", 0.5f, 1.0f, std::nullopt});
            reports.waitFor(2);
            synthesizer.speak(
                {2, "Note On C4", 0.5f, 1.0f, std::nullopt, UtteranceKind::announcement});
            reports.waitFor(2 + c.announcement.size());
        }
        EXPECT_EQ(reports.of(2), c.announcement) << c.name;
        std::lock_guard lock(daemon->mutex);
        EXPECT_EQ(daemon->said.size(), c.said) << c.name;
    }
}

// The voice is a setting of the connection: an utterance in the default voice must not keep the
// one the utterance before it named.
TEST(SpeechDispatcherSynthesizer, EachUtteranceIsSaidInItsOwnVoice) {
    using V = std::optional<std::string>;
    const struct {
        const char* name;
        std::vector<V> voices;
        std::vector<std::string> heard; // "" for the daemon's default
    } cases[] = {
        {"defaultAfterANamedVoice", {std::nullopt, "en-gb", std::nullopt}, {"", "en-gb", ""}},
        {"namedAfterNamed", {"en-gb", "de", "de"}, {"en-gb", "de", "de"}},
        {"namedAfterDefault", {std::nullopt, std::nullopt, "de"}, {"", "", "de"}},
    };
    for (const auto& c : cases) {
        auto daemon = std::make_shared<FakeSpeechDaemon>();
        daemon->eventsOnSay = {E::begin, E::end};
        SpeechReports reports;
        {
            SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon));
            reports.listenTo(synthesizer);
            std::uint64_t id = 0;
            for (const auto& voice : c.voices)
                synthesizer.speak({++id, "Note On C4", 0.5f, 1.0f, voice});
            reports.waitFor(2 * c.voices.size());
        }
        std::lock_guard lock(daemon->mutex);
        EXPECT_EQ(daemon->voicesOfSays, c.heard) << c.name;
    }
}

// Needs a running daemon with an audio server (scripts/test starts both, privately).
TEST(SpeechDispatcherSynthesizer, ARealDaemonListsVoicesAndReportsBeginCancelBeginEnd) {
    SpeechReports reports;
    SpeechDispatcherSynthesizer synthesizer;
    reports.listenTo(synthesizer);
    if (!synthesizer.waitUntilConnected(std::chrono::seconds(15)))
        GTEST_SKIP() << "no speech-dispatcher running: " << synthesizer.connectionError();
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Under a sanitizer, libspeechd's strstr parsing of the thousands of voices a daemon lists
    // takes minutes.
    ASSERT_TRUE(synthesizer.loadVoices(std::chrono::seconds(120)));
    const auto voices = synthesizer.voices();
    ASSERT_FALSE(voices.empty());
    EXPECT_TRUE(synthesizer.hasVoice(voices.front().identifier));
#endif
    synthesizer.speak({1,
                       "This sentence is long enough to be cut off well before it reaches its "
                       "end, so the stop has something to cancel.",
                       0.5f, 0.5f, std::nullopt});
    ASSERT_EQ(reports.waitFor(1).size(), 1u)
        << "no begin: is an audio server running for the daemon?";
    synthesizer.stopSpeaking();
    synthesizer.speak({2, "Note On C4", 1.0f, 0.5f, std::nullopt});
    EXPECT_EQ(reports.waitFor(4),
              (std::vector<testing_support::Report>{
                  {1, R::started}, {1, R::cancelled}, {2, R::started}, {2, R::finished}}));
}

TEST(SpeechDispatcherSynthesizer, RateAndVolumeMapOntoTheDaemonsScale) {
    EXPECT_EQ(SpeechDispatcherSynthesizer::toDaemonScale(0.0f), -100);
    EXPECT_EQ(SpeechDispatcherSynthesizer::toDaemonScale(0.25f), -50);
    EXPECT_EQ(SpeechDispatcherSynthesizer::toDaemonScale(1.5f), 100) << "above the range";
}

#else

TEST(SpeechDispatcherSynthesizer, SpeakStopSpeakReportsBeginCancelBeginEnd) {
    GTEST_SKIP() << "built without speech-dispatcher (libspeechd-dev not found by pkg-config)";
}

#endif

} // namespace
} // namespace umbrascope
