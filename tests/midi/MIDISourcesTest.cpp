#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "midi/MIDISources.hpp"
#include "support/RecordingMIDIService.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMIDIService;
using IDs = std::vector<std::int32_t>;

// The part alone, with what it tells its store written down.
struct Tracked {
    RecordingMIDIService service;
    ManualQueue queue;
    std::vector<IDs> published;
    int protocolChanges = 0;
    int overrunChanges = 0;
    std::unique_ptr<MIDISources> sources;

    Tracked() {
        service.plugIn({"Keys", 100});
        service.plugIn({"Pads", 200});
        sources = std::make_unique<MIDISources>(
            service, queue,
            MIDISources::Listener{[this](const IDs& firstSeen) { published.push_back(firstSeen); },
                                  [this] { ++protocolChanges; }, [this] { ++overrunChanges; }});
        sources->setup();
    }
};

TEST(MIDISources, TellsEachScanWithTheIdsSeenForTheFirstTime) {
    Tracked t;
    EXPECT_TRUE(t.published.empty()) << "published in a later main-thread step";
    t.queue.drain();
    const auto pads = t.service.sources()[1];
    t.service.unplug(pads);
    t.service.notify(MIDINotification::objectRemoved);
    t.queue.drain();
    t.service.replug(pads);
    t.service.plugIn({"Strings", 300});
    t.service.notify(MIDINotification::objectAdded);
    t.service.notify(MIDINotification::setupChanged);
    t.queue.drain();
    EXPECT_EQ(t.published, (std::vector<IDs>{{100, 200}, {}, {300}}))
        << "a returning source is not new; a burst of notifications is one scan";
    EXPECT_EQ(t.sources->seenSourceIDs(), (std::set<std::int32_t>{100, 200, 300}));
}

TEST(MIDISources, TellsAProtocolChangeAndAnOverrunOnlyWhenTheyChange) {
    Tracked t;
    t.queue.drain();
    for (const bool on : {true, true, false})
        t.sources->setMIDI1ProtocolOnly(on);
    EXPECT_EQ(t.protocolChanges, 2);
    ASSERT_EQ(t.service.createdPorts.size(), 3u);
    EXPECT_EQ(t.service.createdPorts[1].protocol, MIDIProtocol::midi1);
    for (const std::uint64_t total : {1u, 1u, 2u}) {
        t.service.overruns = total;
        t.service.notify(MIDINotification::inputOverrun);
        t.queue.drain();
    }
    EXPECT_EQ(t.overrunChanges, 2);
    EXPECT_EQ(t.sources->inputOverruns(), 2u);
}

TEST(MIDISources, NothingRunsOnceItIsGone) {
    Tracked t;
    t.service.notify(MIDINotification::setupChanged); // a rescan queued behind the first publish
    t.sources.reset();
    EXPECT_EQ(t.queue.drain(), 2u);
    t.service.notify(MIDINotification::setupChanged);
    t.service.notify(MIDINotification::inputOverrun);
    EXPECT_EQ(t.queue.drain(), 0u) << "a late notification does not even reach the queue";
    EXPECT_TRUE(t.published.empty());
}

} // namespace
} // namespace umbrascope
