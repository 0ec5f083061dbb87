#include "midi/replay/ReplayService.hpp"

#include <algorithm>
#include <utility>

#include "core/Fnv1a.hpp"
#include "midi/UMPTranslator.hpp"

namespace umbrascope {

std::int32_t replaySourceID(std::string_view name) {
    const auto id = static_cast<std::int32_t>(Fnv1a().add(name).value());
    return id == 0 ? 1 : id; // 0 means "no readable id"
}

SourceRef ReplayService::addSource(Capture capture) {
    return addSource(std::make_shared<const Capture>(std::move(capture)));
}

SourceRef ReplayService::addSource(std::shared_ptr<const Capture> capture) {
    std::string name = capture->sourceName;
    const std::int32_t id = replaySourceID(name);
    auto source = std::make_shared<const Source>(Source{std::move(name), id, std::move(capture)});
    SourceRef ref;
    {
        std::lock_guard lock(sourcesMutex_);
        sources_.push_back(std::move(source));
        removed_.push_back(false);
        ref = SourceRef{sources_.size()};
    }
    notify(MIDINotification::objectAdded);
    return ref;
}

void ReplayService::removeSource(SourceRef source) {
    {
        std::lock_guard lock(sourcesMutex_);
        if (source.value == 0 || source.value > sources_.size() || removed_[source.value - 1])
            return;
        removed_[source.value - 1] = true;
    }
    notify(MIDINotification::objectRemoved);
}

bool ReplayService::isRemoved(SourceRef source) const {
    std::lock_guard lock(sourcesMutex_);
    return source.value == 0 || source.value > removed_.size() || removed_[source.value - 1];
}

void ReplayService::notify(MIDINotification notification) {
    std::lock_guard lock(notificationMutex_);
    if (notification_) notification_(notification);
}

MIDIService::ClientRef ReplayService::createClient(const std::string&,
                                                   NotificationCallback onNotification) {
    std::lock_guard lock(notificationMutex_);
    notification_ = std::move(onNotification);
    return 1;
}

MIDIService::PortRef ReplayService::createInputPort(ClientRef client, const std::string&,
                                                    MIDIProtocol protocol) {
    if (client == 0) return 0;
    portProtocol_ = protocol;
    return ++lastPort_;
}

std::vector<SourceRef> ReplayService::sources() const {
    std::lock_guard lock(sourcesMutex_);
    std::vector<SourceRef> present;
    for (std::size_t i = 0; i < sources_.size(); ++i)
        if (!removed_[i]) present.push_back(SourceRef{i + 1});
    return present;
}

std::shared_ptr<const ReplayService::Source> ReplayService::find(SourceRef source) const {
    std::lock_guard lock(sourcesMutex_);
    if (source.value == 0 || source.value > sources_.size()) return nullptr;
    return sources_[source.value - 1];
}

std::optional<std::string> ReplayService::displayName(SourceRef source) const {
    const auto found = find(source);
    if (!found) return std::nullopt;
    return found->name;
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
                         const std::function<void()>& afterEachList,
                         const std::function<void()>& beforeEachLine) {
    const auto found = find(source);
    if (!found || !found->capture) return true;
    MonoTime due = clock_.monotonicNow();
    MIDIProtocol protocol = portProtocol_;
    UMPTranslator translator(protocol);
    std::vector<std::uint32_t> translated;
    EventList list(protocol);
    for (const CaptureLine& line : found->capture->lines) {
        if (stop.stop_requested() || isRemoved(source)) return false;
        if (pace == ReplayPace::recorded && line.delay.count() > 0) {
            due += line.delay;
            if (!sleeper.sleepUntil(due, stop)) return false;
        }
        if (beforeEachLine) beforeEachLine();
        // A new port may have another protocol: the lines after it are sent as it receives them.
        if (const MIDIProtocol now = portProtocol_; now != protocol) {
            protocol = now;
            translator = UMPTranslator(protocol);
            list = EventList(protocol);
        }
        const bool translate = protocol == MIDIProtocol::midi1 || upscaleMIDI1_;
        list.clear();
        if (translate) {
            translated.clear();
            translator.translateWords(found->capture->words(line), translated);
            if (translated.empty()) continue; // nothing this port can receive
            list.add(translated);
        } else {
            list.add(found->capture->words(line));
        }
        {
            std::lock_guard lock(receiverMutex_);
            if (receiver_) receiver_(list, source);
        }
        if (afterEachList) afterEachList();
    }
    return true;
}

void ReplayService::releaseLines(SourceRef source) {
    std::shared_ptr<const Source> old; // freed outside the lock
    std::lock_guard lock(sourcesMutex_);
    if (source.value == 0 || source.value > sources_.size()) return;
    auto& slot = sources_[source.value - 1];
    old = std::exchange(slot, std::make_shared<const Source>(Source{slot->name, slot->id, {}}));
}

bool ReplayService::playAll(const PlaybackOptions& options, Sleeper& sleeper,
                            std::stop_token stop) {
    const auto pause = std::max<std::chrono::nanoseconds>(options.pause, options.minimumPause);
    for (;;) {
        for (const SourceRef source : sources()) {
            if (!play(source, options.pace, sleeper, stop) && stop.stop_requested()) return false;
            if (options.releasePlayed && !options.loop) releaseLines(source);
        }
        if (!options.loop) return true;
        if (!sleeper.sleepUntil(clock_.monotonicNow() + pause, stop)) return false;
    }
}

void ReplayService::startPlaying(PlaybackOptions options, Sleeper& sleeper) {
    stopPlaying();
    player_ = std::jthread([this, options, &sleeper](std::stop_token stop) {
        playAll(options, sleeper, std::move(stop));
    });
}

void ReplayService::startPlayingSource(SourceRef source, ReplayPace pace, bool releasePlayed,
                                       Sleeper& sleeper) {
    sourcePlayers_.emplace_back(
        [this, source, pace, releasePlayed, &sleeper](std::stop_token stop) {
            if (play(source, pace, sleeper, stop) && releasePlayed) releaseLines(source);
        });
}

void ReplayService::stopPlaying() {
    for (auto& player : sourcePlayers_)
        player.request_stop();
    sourcePlayers_.clear(); // joins
    if (!player_.joinable()) return;
    player_.request_stop();
    player_.join();
}

} // namespace umbrascope
