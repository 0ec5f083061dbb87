#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "core/Clock.hpp"
#include "midi/MidiService.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/Sleeper.hpp"

namespace umbrascope {

enum class ReplayPace {
    asFastAsPossible,
    recorded, // each line waits for its delay after the previous one
};

// Capture files as MIDI sources. Every capture is one native UMP source whose unique id follows
// from its name, so the same name keeps its id from run to run. Lines are delivered one event list
// each, on the thread that calls play().
//
// Threads: addSource and play may run on different threads; the source queries and
// setReceiveCallback are safe from any thread.
class ReplayService final : public MidiService {
public:
    explicit ReplayService(const Clock& clock = SystemClock::instance()) : clock_(clock) {}

    SourceRef addSource(Capture capture);

    // Plays one source from its first line to its last. `afterEachList` runs after every delivery,
    // outside any lock (the CLI drains its queue there). Returns false when stopped early.
    bool play(SourceRef source, ReplayPace pace, Sleeper& sleeper, std::stop_token stop = {},
              const std::function<void()>& afterEachList = {});

    std::optional<std::string> displayName(SourceRef source) const override;
    std::int32_t uniqueID(SourceRef source) const override;
    bool isNativeUMP(SourceRef source, std::int32_t uniqueID) const override;
    void setReceiveCallback(ReceiveCallback callback) override;

private:
    struct Source {
        Capture capture;
        std::int32_t id;
    };
    std::shared_ptr<const Source> find(SourceRef source) const;

    const Clock& clock_;
    mutable std::mutex sourcesMutex_;
    std::vector<std::shared_ptr<const Source>> sources_; // SourceRef value = index + 1
    std::mutex receiverMutex_; // held while delivering, so detaching waits for a delivery
    ReceiveCallback receiver_;
};

// The non-zero id of a replay source of this name.
std::int32_t replaySourceID(std::string_view name);

} // namespace umbrascope
