#include "midi/MIDIManager.hpp"

#include <algorithm>
#include <utility>

#include "model/Packet.hpp"
#include "model/StatusCodes.hpp"
#include "text/Description.hpp"

namespace umbrascope {

namespace {

constexpr const char* noSourceName = "Unknown";

} // namespace

MIDIManager::MIDIManager(MIDIService& service, MainQueue& mainQueue, const Clock& clock)
    : service_(service), mainQueue_(mainQueue), clock_(clock),
      receiveSettings_(std::make_shared<const FilterSettings>(settings_)),
      published_(receiveSettings_),
      sources_(service, mainQueue,
               {[this](const std::vector<std::int32_t>& firstSeen) { sourcesPublished(firstSeen); },
                [this] { observers_.notify(MIDIManagerProperty::midi1ProtocolOnly); },
                [this] { observers_.notify(MIDIManagerProperty::inputOverruns); }}) {
    service_.setReceiveCallback([this](const EventList& list, std::optional<SourceRef> source) {
        handleEventList(list, source);
    });
    setupMIDI();
}

MIDIManager::~MIDIManager() {
    owner_.check("MIDIManager::~MIDIManager");
    { // a file waiting for room would hold up the detaching below
        std::lock_guard lock(pendingMutex_);
        closing_ = true;
    }
    roomMade_.notify_all();
    // After this no delivery thread is inside handleEventList, so nothing else can post.
    service_.setReceiveCallback({});
    lifetime_.end();
}

void MIDIManager::sourcesPublished(const std::vector<std::int32_t>& firstSeen) {
    owner_.check("MIDIManager::sourcesPublished");
    // A source is enabled the first time it is seen and never again, so a source the user
    // disabled stays disabled through rescans, unplugging and replugging.
    bool enabledChanged = false;
    for (const std::int32_t id : firstSeen)
        enabledChanged |= settings_.enabledSourceIDs.insert(id).second;
    observers_.notify(MIDIManagerProperty::connectedSources);
    observers_.notify(MIDIManagerProperty::availableSources);
    if (enabledChanged) publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::handleEventList(const EventList& list, std::optional<SourceRef> source) {
    const bool canWait = source && service_.canWait(*source);
    // Outside the receive lock, so a file that waits never holds up a live source.
    if (canWait && std::this_thread::get_id() != mainThread_) waitForRoom();
    std::lock_guard lock(receiveMutex_);

    if (const auto version = publishedVersion_.load(std::memory_order_acquire);
        version != receiveSettingsVersion_) {
        std::lock_guard settingsLock(publishedMutex_);
        receiveSettings_ = published_;
        receiveSettingsVersion_ = version;
    }
    const FilterSettings* settings = receiveSettings_.get();

    // The name is read last: a list from a disabled source never needs it.
    const std::int32_t id = source ? service_.uniqueID(*source) : 0;
    if (!settings->enabledSourceIDs.contains(id)) return;
    const bool native = source && service_.isNativeUMP(*source, id);
    // The whole list goes, so it uses no sequence numbers.
    if (settings->filter.onlyUMPSources && !native) return;
    if (list.empty()) return;
    std::string name = source ? service_.displayName(*source).value_or(unknownSourceName)
                              : std::string(noSourceName);

    const std::shared_ptr<const std::string> sourceName = sharedSourceName(id, std::move(name));
    std::vector<MIDIMessage> batch;

    list.forEach([&](const EventPacketView& eventPacket) {
        forEachPacket(eventPacket.readableWords(), [&](const PacketWords& words, PacketClass cls) {
            // The number is used up before the filters, so a dropped message leaves a gap.
            const std::int64_t sequenceNumber = nextSequenceNumber_++;
            MIDIMessage message;
            message.words = words;
            message.messageType = cls.type;
            message.sourceIsUMPNative = native;
            if (settings->filter.hides(message)) return;
            // A dropped message is never seen, so its description is not made.
            message.id = Identifier::make();
            message.sequenceNumber = sequenceNumber;
            message.timestamp = clock_.wallNow();
            message.sourceNameStorage = sourceName;
            message.sourceID = id;
            message.description = describePacket(words, cls.type);
            batch.push_back(std::move(message));
        });
    });

    if (batch.empty()) return;
    if (!takeRoom(batch.size(), canWait)) {
        // Lost like a kernel overrun, and told the same way; the numbers it used show the gap.
        backlogLosses_.fetch_add(1, std::memory_order_relaxed);
        if (!lossReportPending_.exchange(true))
            mainQueue_.post(lifetime_.guard([this] {
                lossReportPending_ = false;
                publishBacklogLosses();
            }));
        return;
    }
    mainQueue_.post(lifetime_.guard([this, batch = std::move(batch)]() mutable {
        const std::size_t count = batch.size();
        appendBatch(std::move(batch));
        madeRoom(count); // the batch is in the buffer or dropped by the trim: its memory is gone
    }));
}

void MIDIManager::publishBacklogLosses() {
    owner_.check("MIDIManager::publishBacklogLosses");
    const std::uint64_t losses = backlogLosses_.load(std::memory_order_relaxed);
    if (losses == backlogLossesPublished_) return;
    backlogLossesPublished_ = losses;
    observers_.notify(MIDIManagerProperty::inputOverruns);
}

void MIDIManager::waitForRoom() {
    std::unique_lock lock(pendingMutex_);
    roomMade_.wait(lock, [this] { return closing_ || pendingMessages_ < maxPendingMessages; });
}

bool MIDIManager::takeRoom(std::size_t count, bool canWait) {
    std::lock_guard lock(pendingMutex_);
    if (!canWait && pendingMessages_ >= maxPendingMessages) return false;
    pendingMessages_ += count;
    return true;
}

void MIDIManager::madeRoom(std::size_t count) {
    {
        std::lock_guard lock(pendingMutex_);
        pendingMessages_ -= count;
    }
    roomMade_.notify_all();
}

std::shared_ptr<const std::string> MIDIManager::sharedSourceName(std::int32_t id,
                                                                 std::string name) {
    auto& cached = sourceNames_[id];
    if (!cached || *cached != name) cached = makeSourceName(std::move(name));
    return cached;
}

void MIDIManager::appendBatch(std::vector<MIDIMessage> batch) {
    owner_.check("MIDIManager::appendBatch");
    const std::size_t appended = batch.size();
    for (auto& message : batch)
        messages_.push_back(std::move(message));
    const bool wasFull = isBufferFull_;
    const std::size_t dropped = trimToLimit();
    lastMessageDate_ = clock_.wallNow();
    lastMessageMonotonic_ = clock_.monotonicNow();

    messageChanges_.notify(MessagesChange{appended, dropped, false});
    observers_.notify(MIDIManagerProperty::messages);
    if (isBufferFull_ != wasFull) observers_.notify(MIDIManagerProperty::isBufferFull);
    observers_.notify(MIDIManagerProperty::lastMessageDate);
}

std::size_t MIDIManager::trimToLimit() {
    const auto limit = static_cast<std::size_t>(maxMessages_);
    if (messages_.size() <= limit) return 0;
    // A block from the front: the cost follows what is dropped, not what is kept.
    const std::size_t count = messages_.size() - limit;
    messages_.erase(messages_.begin(), messages_.begin() + static_cast<std::ptrdiff_t>(count));
    isBufferFull_ = true;
    return count;
}

void MIDIManager::clearMessages() {
    owner_.check("MIDIManager::clearMessages");
    messages_.clear();
    lastMessageDate_.reset();
    lastMessageMonotonic_.reset();
    isBufferFull_ = false;
    messageChanges_.notify(MessagesChange{0, 0, true});
    observers_.notify(MIDIManagerProperty::messages);
    observers_.notify(MIDIManagerProperty::lastMessageDate);
    observers_.notify(MIDIManagerProperty::isBufferFull);
}

void MIDIManager::trimToMaxMessages() {
    owner_.check("MIDIManager::trimToMaxMessages");
    const bool wasFull = isBufferFull_;
    const std::size_t dropped = trimToLimit();
    if (dropped == 0) return;
    messageChanges_.notify(MessagesChange{0, dropped, false});
    observers_.notify(MIDIManagerProperty::messages);
    if (isBufferFull_ != wasFull) observers_.notify(MIDIManagerProperty::isBufferFull);
}

void MIDIManager::setMaxMessages(std::int64_t limit) {
    owner_.check("MIDIManager::setMaxMessages");
    maxMessages_ = std::max<std::int64_t>(limit, 0);
    observers_.notify(MIDIManagerProperty::maxMessages);
    trimToMaxMessages();
}

void MIDIManager::publishSettings(MIDIManagerProperty changed) {
    auto snapshot = std::make_shared<const FilterSettings>(settings_);
    { // the old snapshot leaves in `snapshot` and is freed outside the lock
        std::lock_guard lock(publishedMutex_);
        published_.swap(snapshot);
    }
    publishedVersion_.fetch_add(1, std::memory_order_release);
    observers_.notify(changed);
}

void MIDIManager::setEnabledSourceIDs(SourceIDSet ids) {
    owner_.check("MIDIManager::setEnabledSourceIDs");
    settings_.enabledSourceIDs = std::move(ids);
    publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::setSourceEnabled(std::int32_t id, bool enabled) {
    owner_.check("MIDIManager::setSourceEnabled");
    if (enabled)
        settings_.enabledSourceIDs.insert(id);
    else
        settings_.enabledSourceIDs.erase(id);
    publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::setOnlyUMPSources(bool on) {
    owner_.check("MIDIManager::setOnlyUMPSources");
    settings_.filter.onlyUMPSources = on;
    publishSettings(MIDIManagerProperty::onlyUMPSources);
}

void MIDIManager::setHideActiveSensing(bool on) {
    owner_.check("MIDIManager::setHideActiveSensing");
    settings_.filter.hideActiveSensing = on;
    publishSettings(MIDIManagerProperty::hideActiveSensing);
}

void MIDIManager::setHideMidiClock(bool on) {
    owner_.check("MIDIManager::setHideMidiClock");
    settings_.filter.hideMidiClock = on;
    publishSettings(MIDIManagerProperty::hideMidiClock);
}

void MIDIManager::setHiddenMessageTypes(MessageTypeSet types) {
    owner_.check("MIDIManager::setHiddenMessageTypes");
    settings_.filter.hiddenMessageTypes = types;
    publishSettings(MIDIManagerProperty::hiddenMessageTypes);
}

} // namespace umbrascope
