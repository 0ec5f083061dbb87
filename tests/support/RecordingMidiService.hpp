#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "midi/MidiService.hpp"

namespace umbrascope::testing_support {

// A MIDI service with a client, ports and a source list that the test changes as devices come and
// go, recording every call the manager makes. Notifications and deliveries happen on the calling
// thread, as the service's own thread would make them.
class RecordingMidiService final : public MidiService {
public:
    struct Source {
        std::optional<std::string> name;
        std::int32_t id = 0;
        bool native = false;
    };
    struct PortCall {
        std::string name;
        MidiProtocol protocol;
        PortRef port;
    };

    // No MIDI service to be a client of (no sequencer device).
    bool clientFails = false;
    std::atomic<std::uint64_t> overruns{0};

    SourceRef plugIn(Source source) {
        const SourceRef ref{nextRef_++};
        std::lock_guard lock(mutex_);
        sources_[ref.value] = std::move(source);
        order_.push_back(ref.value);
        return ref;
    }
    void unplug(SourceRef ref) {
        std::lock_guard lock(mutex_);
        order_.erase(std::remove(order_.begin(), order_.end(), ref.value), order_.end());
    }
    // Plugs a source back in at the end of the list, under its old reference.
    void replug(SourceRef ref) {
        std::lock_guard lock(mutex_);
        order_.push_back(ref.value);
    }
    void notify(MidiNotification notification) {
        if (notification_) notification_(notification);
    }
    void deliver(const EventList& list, std::optional<SourceRef> source) {
        std::lock_guard lock(receiverMutex_);
        if (receiver_) receiver_(list, source);
    }

    // What the manager asked for.
    std::vector<std::string> clientNames;
    std::vector<PortCall> createdPorts; // the ports made, in order
    std::size_t portRequests = 0;       // made or refused
    std::vector<PortRef> disposedPorts;
    std::vector<std::pair<PortRef, std::uint64_t>> connections;
    // Runs once just after the next scan has taken the list, as a change racing with it would.
    mutable std::function<void()> duringScan;

    std::optional<std::string> displayName(SourceRef source) const override {
        const auto* found = find(source);
        return found ? found->name : std::nullopt;
    }
    std::int32_t uniqueID(SourceRef source) const override {
        const auto* found = find(source);
        return found ? found->id : 0;
    }
    bool isNativeUMP(SourceRef source, std::int32_t) const override {
        const auto* found = find(source);
        return found && found->native;
    }
    void setReceiveCallback(ReceiveCallback callback) override {
        std::lock_guard lock(receiverMutex_);
        receiver_ = std::move(callback);
    }

    ClientRef createClient(const std::string& name, NotificationCallback onNotification) override {
        clientNames.push_back(name);
        if (clientFails) return 0;
        notification_ = std::move(onNotification);
        return 7;
    }
    PortRef createInputPort(ClientRef client, const std::string& name,
                            MidiProtocol protocol) override {
        ++portRequests;
        if (client != 7) return 0;
        const PortRef port = nextPort_++;
        createdPorts.push_back({name, protocol, port});
        return port;
    }
    void disposePort(PortRef port) override { disposedPorts.push_back(port); }
    std::vector<SourceRef> sources() const override {
        std::vector<SourceRef> refs;
        {
            std::lock_guard lock(mutex_);
            for (const auto value : order_)
                refs.push_back(SourceRef{value});
        }
        if (duringScan) std::exchange(duringScan, {})();
        return refs;
    }
    void connectSource(PortRef port, SourceRef source) override {
        connections.emplace_back(port, source.value);
    }
    std::uint64_t inputOverruns() const override { return overruns; }

private:
    const Source* find(SourceRef source) const {
        std::lock_guard lock(mutex_);
        const auto it = sources_.find(source.value);
        return it == sources_.end() ? nullptr : &it->second;
    }

    mutable std::mutex mutex_;
    std::map<std::uint64_t, Source> sources_;
    std::vector<std::uint64_t> order_;
    std::uint64_t nextRef_ = 1;
    PortRef nextPort_ = 100;
    NotificationCallback notification_;
    std::mutex receiverMutex_;
    ReceiveCallback receiver_;
};

} // namespace umbrascope::testing_support
