#include "midi/replay/ReplayService.hpp"

namespace umbrascope {

std::int32_t replaySourceID(std::string_view name) {
    // FNV-1a: stable across runs and platforms.
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    const auto id = static_cast<std::int32_t>(hash);
    return id == 0 ? 1 : id; // 0 means "no readable id"
}

SourceRef ReplayService::addSource(Capture capture) {
    const std::int32_t id = replaySourceID(capture.sourceName);
    auto source = std::make_shared<const Source>(Source{std::move(capture), id});
    std::lock_guard lock(sourcesMutex_);
    sources_.push_back(std::move(source));
    return SourceRef{sources_.size()};
}

std::shared_ptr<const ReplayService::Source> ReplayService::find(SourceRef source) const {
    std::lock_guard lock(sourcesMutex_);
    if (source.value == 0 || source.value > sources_.size()) return nullptr;
    return sources_[source.value - 1];
}

std::optional<std::string> ReplayService::displayName(SourceRef source) const {
    const auto found = find(source);
    if (!found) return std::nullopt;
    return found->capture.sourceName;
}

std::int32_t ReplayService::uniqueID(SourceRef source) const {
    const auto found = find(source);
    return found ? found->id : 0;
}

bool ReplayService::isNativeUMP(SourceRef source, std::int32_t) const {
    return find(source) != nullptr;
}

void ReplayService::setReceiveCallback(ReceiveCallback callback) {
    std::lock_guard lock(receiverMutex_);
    receiver_ = std::move(callback);
}

bool ReplayService::play(SourceRef source, ReplayPace pace, Sleeper& sleeper, std::stop_token stop,
                         const std::function<void()>& afterEachList) {
    const auto found = find(source);
    if (!found) return true;
    MonoTime due = clock_.monotonicNow();
    EventList list(MidiProtocol::midi2);
    for (const CaptureLine& line : found->capture.lines) {
        if (stop.stop_requested()) return false;
        if (pace == ReplayPace::recorded && line.delay.count() > 0) {
            due += line.delay;
            if (!sleeper.sleepUntil(due, stop)) return false;
        }
        list.clear();
        list.add(line.words);
        {
            std::lock_guard lock(receiverMutex_);
            if (receiver_) receiver_(list, source);
        }
        if (afterEachList) afterEachList();
    }
    return true;
}

} // namespace umbrascope
