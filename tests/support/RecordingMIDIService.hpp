#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>
#include <vector>

#include "support/FakeMIDIService.hpp"

namespace umbrascope::testing_support {

// A fake service with a client, ports and a source list that the test changes as devices come and
// go, recording every call the manager makes. Notifications happen on the calling thread.
class RecordingMIDIService final : public FakeMIDIService {
public:
    struct PortCall {
        std::string name;
        MIDIProtocol protocol;
        PortRef port;
    };

    // No MIDI service to be a client of (no sequencer device).
    bool clientFails = false;
    std::atomic<std::uint64_t> overruns{0};

    SourceRef plugIn(Source source) {
        const SourceRef ref = addSource(std::move(source));
        replug(ref);
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
    void notify(MIDINotification notification) {
        if (notification_) notification_(notification);
    }

    // What the manager asked for.
    std::vector<std::string> clientNames;
    std::vector<PortCall> createdPorts; // the ports made, in order
    std::size_t portRequests = 0;       // made or refused
    std::vector<PortRef> disposedPorts;
    std::vector<std::pair<PortRef, std::uint64_t>> connections;
    // Runs once just after the next scan has taken the list, as a change racing with it would.
    mutable std::function<void()> duringScan;

    ClientRef createClient(const std::string& name, NotificationCallback onNotification) override {
        clientNames.push_back(name);
        if (clientFails) return 0;
        notification_ = std::move(onNotification);
        return 7;
    }
    PortRef createInputPort(ClientRef client, const std::string& name,
                            MIDIProtocol protocol) override {
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
    std::vector<std::uint64_t> order_;
    PortRef nextPort_ = 100;
    NotificationCallback notification_;
};

} // namespace umbrascope::testing_support
