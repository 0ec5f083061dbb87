#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "app/SpeechLog.hpp"
#include "app/SpeechLogFile.hpp"
#include "audio/SilentSynthesizer.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSpeechSynthesizer;

// The outcomes and their order are pinned by the command line's replays; here what they leave out.
TEST(SpeechLog, QuotesVoiceAndTextAndLogsWhatIsStillPendingAsCutOff) {
    FakeClock clock;
    ManualQueue queue;
    auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    log->voices = {{"en-gb", "British", "en-gb"}};
    SpeechAnnouncer announcer(std::make_unique<FakeSpeechSynthesizer>(log), queue);
    announcer.setVoiceForSource(7, "en-gb");
    std::ostringstream out;
    {
        SpeechLog speechLog(announcer, out, clock);
        clock.advance(250ms);
        announcer.setVolume(0.5f);
        announcer.speakNow("Say \"hi\"\n\x1b[2J", 7);
        announcer.speakNow("left over");
        clock.advance(1s);
    }
    EXPECT_EQ(out.str(),
              "0.250 handed-over source=7 voice=\"en-gb\" rate=0.50 volume=0.50 "
              "\"Say \\\"hi\\\"\\n\\x1B[2J\"\n"
              "0.250 cut-off source=7 voice=\"en-gb\" rate=0.50 volume=0.50 "
              "\"Say \\\"hi\\\"\\n\\x1B[2J\"\n"
              "0.250 handed-over source=- voice=default rate=0.50 volume=0.50 \"left over\"\n"
              "1.250 cut-off source=- voice=default rate=0.50 volume=0.50 \"left over\"\n");
}

// Played into no audio device, an utterance is logged as unheard, with why.
TEST(SpeechLog, SaysWhenWhatWasSpokenWasNotHeard) {
    FakeClock clock;
    ManualQueue queue;
    SpeechAnnouncer announcer(std::make_unique<SilentSynthesizer>(), queue);
    std::ostringstream out;
    SpeechLog speechLog(announcer, out, clock);
    std::string why = "no audio output was built in";
    speechLog.setUnheardCheck([&] { return why; });
    announcer.speakNow("Note On C4");
    queue.drain();
    why.clear();
    announcer.speakNow("E4");
    queue.drain();
    EXPECT_EQ(out.str(),
              "0.000 handed-over source=- voice=default rate=0.50 volume=1.00 \"Note On C4\"\n"
              "0.000 unheard source=- voice=default rate=0.50 volume=1.00 \"Note On C4\" "
              "why=\"no audio output was built in\"\n"
              "0.000 handed-over source=- voice=default rate=0.50 volume=1.00 \"E4\"\n"
              "0.000 spoken source=- voice=default rate=0.50 volume=1.00 \"E4\"\n");
}

TEST(SpeechLogFile, SaysWhenItCannotOpenOrWriteTheFile) {
    try {
        SpeechLogFile("/nonexistent/speech.log");
        ADD_FAILURE() << "opened";
    } catch (const SpeechLogFileError& error) {
        EXPECT_STREQ(error.what(), "cannot write the speech log '/nonexistent/speech.log': No "
                                   "such file or directory");
    }
    ManualQueue queue;
    SpeechAnnouncer announcer(std::make_unique<SilentSynthesizer>(), queue);
    SpeechLogFile log("/dev/full");
    std::vector<std::string> told;
    log.attach(announcer, SystemClock::instance(),
               [&](const std::string& problem) { told.push_back(problem); });
    announcer.speakNow("lost");
    announcer.speakNow("lost again");
    queue.drain();
    EXPECT_EQ(told,
              std::vector<std::string>{
                  "cannot write the speech log '/dev/full': No space left on device"})
        << "told once, with why";
    EXPECT_EQ(log.close(), "cannot write the speech log '/dev/full'");
}

} // namespace
} // namespace umbrascope
