#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "app/SpeechLog.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSpeechSynthesizer;

TEST(SpeechLog, OneLinePerRequestWithItsOutcome) {
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
        announcer.speakIfIdle("Note On C4", 7);
        clock.advance(1s);
        announcer.speakIfIdle("E4", 3);
        queue.drain();
        log->send(announcer.currentUtterance()->id, SpeechReport::finished);
        queue.drain();
        announcer.setVolume(0.5f);
        announcer.speakNow("Say \"hi\"\n\x1b[2J");
        announcer.stop();
        announcer.speakNow("left over");
    }
    EXPECT_EQ(out.str(),
              "1.250 dropped-busy source=3 voice=default rate=0.50 volume=1.00 \"E4\"\n"
              "0.250 spoken source=7 voice=\"en-gb\" rate=0.50 volume=1.00 \"Note On C4\"\n"
              "1.250 cut-off source=- voice=default rate=0.50 volume=0.50 "
              "\"Say \\\"hi\\\"\\n\\x1B[2J\"\n"
              "1.250 cut-off source=- voice=default rate=0.50 volume=0.50 \"left over\"\n");
}

} // namespace
} // namespace umbrascope
