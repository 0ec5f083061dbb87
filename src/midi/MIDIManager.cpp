#include "midi/MIDIManager.hpp"

#include <algorithm>
#include <utility>

#include "model/Fields.hpp"
#include "model/Packet.hpp"
#include "model/StatusCodes.hpp"
#include "text/Description.hpp"

namespace umbrascope {

namespace {

constexpr const char* noSourceName = "Unknown";

} // namespace

MIDIManager::MIDIManager(MidiService& service, MainQueue& mainQueue, const Clock& clock)
    : service_(service), mainQueue_(mainQueue), clock_(clock),
      token_(std::make_shared<Token>(Token{this})),
      receiveSettings_(std::make_shared<const FilterSettings>(settings_)),
      published_(receiveSettings_), weakToken_(token_) {
    service_.setReceiveCallback([this](const EventList& list, std::optional<SourceRef> source) {
        handleEventList(list, source);
    });
    setupMIDI();
}

MIDIManager::~MIDIManager() {
    // After this no delivery thread is inside handleEventList, so nothing else can post.
    service_.setReceiveCallback({});
    if (notificationGate_) {
        std::lock_guard lock(notificationGate_->mutex);
        notificationGate_->queue = nullptr;
    }
    token_->manager = nullptr;
}

void MIDIManager::handleEventList(const EventList& list, std::optional<SourceRef> source) {
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
    const bool native = source && isSourceNativeUMP(*source, id);
    if (settings->onlyUMPSources && !native) return;
    if (list.empty()) return;
    std::string name = source ? service_.displayName(*source).value_or(unknownSourceName)
                              : std::string(noSourceName);

    const std::shared_ptr<const std::string> sourceName = sharedSourceName(id, std::move(name));
    std::vector<MIDIMessage> batch;

    list.forEach([&](const EventPacketView& eventPacket) {
        forEachPacket(eventPacket.readableWords(), [&](const PacketWords& words, PacketClass cls) {
            // The number is used up before the filters, so a dropped message leaves a gap.
            const std::int64_t sequenceNumber = nextSequenceNumber_++;
            if (settings->hiddenMessageTypes.contains(cls.type)) return;
            if (cls.type == UMPMessageType::system) {
                const std::uint8_t status = ump::systemStatus(words[0]);
                if (settings->hideActiveSensing && status == ump::systemStatuses::activeSensing)
                    return;
                if (settings->hideMidiClock && status == ump::systemStatuses::timingClock) return;
            }
            // A dropped message is never seen, so its description is not made.
            MIDIMessage message;
            message.id = Identifier::make();
            message.sequenceNumber = sequenceNumber;
            message.timestamp = clock_.wallNow();
            message.sourceNameStorage = sourceName;
            message.sourceID = id;
            message.words = words;
            message.messageType = cls.type;
            message.description = describePacket(words, cls.type);
            message.sourceIsUMPNative = native;
            batch.push_back(std::move(message));
        });
    });

    if (batch.empty()) return;
    mainQueue_.post([token = weakToken_, batch = std::move(batch)]() mutable {
        if (const auto alive = token.lock(); alive && alive->manager)
            alive->manager->appendBatch(std::move(batch));
    });
}

std::shared_ptr<const std::string> MIDIManager::sharedSourceName(std::int32_t id,
                                                                 std::string name) {
    auto& cached = sourceNames_[id];
    if (!cached || *cached != name) cached = makeSourceName(std::move(name));
    return cached;
}

void MIDIManager::appendBatch(std::vector<MIDIMessage> batch) {
    for (auto& message : batch)
        messages_.push_back(std::move(message));
    bool becameFull = false;
    const auto limit = static_cast<std::size_t>(maxMessages_);
    if (messages_.size() > limit) {
        dropOldest(messages_.size() - limit);
        becameFull = !isBufferFull_;
        isBufferFull_ = true;
    }
    lastMessageDate_ = clock_.wallNow();

    observers_.notify(MIDIManagerProperty::messages);
    if (becameFull) observers_.notify(MIDIManagerProperty::isBufferFull);
    observers_.notify(MIDIManagerProperty::lastMessageDate);
}

void MIDIManager::dropOldest(std::size_t count) {
    // A block from the front: the cost follows what is dropped, not what is kept.
    messages_.erase(messages_.begin(), messages_.begin() + static_cast<std::ptrdiff_t>(count));
}

void MIDIManager::clearMessages() {
    messages_.clear();
    lastMessageDate_.reset();
    isBufferFull_ = false;
    observers_.notify(MIDIManagerProperty::messages);
    observers_.notify(MIDIManagerProperty::lastMessageDate);
    observers_.notify(MIDIManagerProperty::isBufferFull);
}

void MIDIManager::trimToMaxMessages() {
    const auto limit = static_cast<std::size_t>(maxMessages_);
    if (messages_.size() <= limit) return;
    dropOldest(messages_.size() - limit);
    const bool becameFull = !isBufferFull_;
    isBufferFull_ = true;
    observers_.notify(MIDIManagerProperty::messages);
    if (becameFull) observers_.notify(MIDIManagerProperty::isBufferFull);
}

void MIDIManager::setMaxMessages(std::int64_t limit) {
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
    settings_.enabledSourceIDs = std::move(ids);
    publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::setSourceEnabled(std::int32_t id, bool enabled) {
    if (enabled)
        settings_.enabledSourceIDs.insert(id);
    else
        settings_.enabledSourceIDs.erase(id);
    publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::setOnlyUMPSources(bool on) {
    settings_.onlyUMPSources = on;
    publishSettings(MIDIManagerProperty::onlyUMPSources);
}

void MIDIManager::setHideActiveSensing(bool on) {
    settings_.hideActiveSensing = on;
    publishSettings(MIDIManagerProperty::hideActiveSensing);
}

void MIDIManager::setHideMidiClock(bool on) {
    settings_.hideMidiClock = on;
    publishSettings(MIDIManagerProperty::hideMidiClock);
}

void MIDIManager::setHiddenMessageTypes(MessageTypeSet types) {
    settings_.hiddenMessageTypes = types;
    publishSettings(MIDIManagerProperty::hiddenMessageTypes);
}

} // namespace umbrascope
