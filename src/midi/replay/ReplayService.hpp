#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "core/Clock.hpp"
#include "midi/MIDIService.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/Sleeper.hpp"

namespace umbrascope {

enum class ReplayPace {
    asFastAsPossible,
    recorded, // each line waits for its delay after the previous one
};

struct PlaybackOptions {
    ReplayPace pace = ReplayPace::recorded;
    // Start again after the last source, until stopped.
    bool loop = false;
    // The wait before a loop starts again; never less than minimumPause, so a pass that takes no
    // time cannot spin.
    std::chrono::nanoseconds pause{std::chrono::seconds(1)};
    // Without a loop, keep only the name and id of a source once it has played: a large capture
    // need not stay in memory after it.
    bool releasePlayed = false;
    static constexpr std::chrono::milliseconds minimumPause{10};
};

// Capture files as MIDI sources. Every capture is one native UMP source whose unique id follows
// from its name, so the same name keeps its id from run to run. Lines are delivered one event list
// each, on the thread that calls play() or playAll(), or on the service's own playing threads.
//
// Threads: addSource and play may run on different threads; the source queries and
// setReceiveCallback are safe from any thread. The start and stop calls belong to one thread
// (the main thread); destruction stops the playing threads first.
class ReplayService final : public MIDIService {
public:
    explicit ReplayService(const Clock& clock = SystemClock::instance()) : clock_(clock) {}

    SourceRef addSource(Capture capture);
    // Shared with whoever else plays it (every window plays the command line's captures); the
    // service lets go of it once it has played with `releasePlayed`.
    SourceRef addSource(std::shared_ptr<const Capture> capture);

    // Plays one source from its first line to its last. `afterEachList` runs after every delivery,
    // outside any lock (the CLI drains its queue there); `beforeEachLine` runs once per line when
    // it is due, before it is translated and delivered (the CLI presses keys there), also for a
    // line that the port cannot receive. Returns false when stopped early.
    bool play(SourceRef source, ReplayPace pace, Sleeper& sleeper, std::stop_token stop = {},
              const std::function<void()>& afterEachList = {},
              const std::function<void()>& beforeEachLine = {});
    // Plays every present source, one after another; when looping, again after the pause, until
    // stopped. Returns false when stopped.
    bool playAll(const PlaybackOptions& options, Sleeper& sleeper, std::stop_token stop = {});

    // playAll on a thread of the service's own, in place of any earlier playing. The sleeper must
    // outlive the playing.
    void startPlaying(PlaybackOptions options, Sleeper& sleeper);
    // Plays one source once on a thread of its own, beside any other playing (a file opened while
    // the others play), and lets go of its lines after it when `releasePlayed`.
    void startPlayingSource(SourceRef source, ReplayPace pace, bool releasePlayed,
                            Sleeper& sleeper);
    // Stops every playing thread and waits for them; a wait in progress ends at once.
    void stopPlaying();

    // Unplugs a source: it leaves the source list, stops playing and the client is told. Its
    // name and id stay readable for lists already on their way.
    void removeSource(SourceRef source);

    // A port's protocol decides what its lists carry, as on the platform: for a MIDI 1.0 port,
    // MIDI 2.0 channel voice is shifted down and what the port cannot receive is dropped. For a
    // MIDI 2.0 port the words go out as recorded, unless MIDI 1.0 channel voice is to be upscaled
    // too (off by default, so captures and the demo keep both channel voice classes).
    void setUpscaleMIDI1(bool on) { upscaleMIDI1_ = on; }

    ClientRef createClient(const std::string& name, NotificationCallback onNotification) override;
    PortRef createInputPort(ClientRef client, const std::string& name,
                            MIDIProtocol protocol) override;
    std::vector<SourceRef> sources() const override;

    std::optional<std::string> displayName(SourceRef source) const override;
    std::int32_t uniqueID(SourceRef source) const override;
    bool isNativeUMP(SourceRef source, std::int32_t uniqueID) const override;
    // A file is read at the receiver's pace: nothing of it is lost.
    bool canWait(SourceRef) const override { return true; }
    void setReceiveCallback(ReceiveCallback callback) override;

private:
    struct Source {
        std::string name;
        std::int32_t id;
        std::shared_ptr<const Capture> capture; // none once released
    };
    std::shared_ptr<const Source> find(SourceRef source) const;
    // Keeps only the name and id of a source that has played.
    void releaseLines(SourceRef source);

    const Clock& clock_;
    mutable std::mutex sourcesMutex_;
    std::vector<std::shared_ptr<const Source>> sources_; // SourceRef value = index + 1
    std::mutex receiverMutex_; // held while delivering, so detaching waits for a delivery
    ReceiveCallback receiver_;

    void notify(MIDINotification notification);
    bool isRemoved(SourceRef source) const;
    std::vector<bool> removed_; // by SourceRef value - 1, under sourcesMutex_
    std::mutex notificationMutex_;
    NotificationCallback notification_;
    std::atomic<MIDIProtocol> portProtocol_{MIDIProtocol::midi2};
    std::atomic<bool> upscaleMIDI1_{false};
    std::atomic<PortRef> lastPort_{0};
    // Last, so they stop before anything they use goes.
    std::jthread player_;
    std::vector<std::jthread> sourcePlayers_;
};

// The non-zero id of a replay source of this name.
std::int32_t replaySourceID(std::string_view name);

} // namespace umbrascope
