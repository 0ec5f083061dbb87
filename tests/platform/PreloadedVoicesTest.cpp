#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "platform/PreloadedVoices.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope::platform {
namespace {

using testing_support::FakeSpeechSynthesizer;

// The list arrives on its own thread while speech goes on; the wrapped synthesizer is never
// asked for its voices (for a daemon that would hold up its speaking connection for seconds).
TEST(PreloadedVoices, SpeaksAtOnceAndKnowsTheVoicesOnceTheListArrives) {
    auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    log->voices = {{"v-wrapped", "Wrapped", "en"}};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    PreloadedVoices synthesizer(std::make_unique<FakeSpeechSynthesizer>(log), [released] {
        released.wait();
        return std::vector<Voice>{{"v-amy", "Amy", "en-GB"}, {"v-zed", "Zed", "en-US"}};
    });
    std::vector<std::pair<std::uint64_t, SpeechReport>> reports;
    synthesizer.setReportHandler(
        [&](std::uint64_t id, SpeechReport kind) { reports.emplace_back(id, kind); });
    std::atomic<int> told = 0;
    synthesizer.setVoicesHandler([&] { ++told; });

    synthesizer.speak({7, "before the list", 0.5f, 1.0f, std::string("v-amy")});
    EXPECT_EQ(log->spokenTexts(), std::vector<std::string>{"before the list"});
    log->send(7, SpeechReport::finished);
    EXPECT_EQ(reports, (decltype(reports){{7, SpeechReport::finished}}));
    EXPECT_TRUE(synthesizer.voices().empty());
    EXPECT_FALSE(synthesizer.hasVoice("v-amy"));
    EXPECT_FALSE(synthesizer.hasVoice("v-wrapped"));

    release.set_value();
    ASSERT_TRUE(synthesizer.waitUntilLoaded(std::chrono::seconds(30)));
    EXPECT_EQ(told, 1) << "whoever shows the list is told it arrived";
    const std::vector<Voice> voices = synthesizer.voices();
    ASSERT_EQ(voices.size(), 2u);
    EXPECT_EQ(voices[1].identifier, "v-zed");
    EXPECT_TRUE(synthesizer.hasVoice("v-amy"));
    EXPECT_FALSE(synthesizer.hasVoice("v-wrapped"));
    synthesizer.stopSpeaking();
    EXPECT_EQ(log->calls.back().kind, FakeSpeechSynthesizer::Call::Kind::stop);
}

} // namespace
} // namespace umbrascope::platform
