#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "midi/MIDIService.hpp"

namespace umbrascope {

// Several MIDI services seen as one, so that the system's sources, capture files and the demo
// feed one manager at once. Each child's sources keep their names and unique ids; the composite
// names them by a reference of its own (the child's position in the top 8 bits, the child's
// reference below), so references of different children never collide and a source keeps its
// reference while other children's sources come and go. Notifications and event lists of every
// child pass through unchanged apart from that reference; the client, port and protocol requests
// reach every child.
//
// Threads: as MIDIService. The children are fixed at construction, so routing takes no lock.
class CompositeMIDIService final : public MIDIService {
public:
    static constexpr std::size_t maxChildren = 256;

    // Owns the children; at most maxChildren.
    explicit CompositeMIDIService(std::vector<std::unique_ptr<MIDIService>> children);

    std::size_t childCount() const { return children_.size(); }
    MIDIService& child(std::size_t index) const { return *children_.at(index); }
    // The composite's reference for a child's source.
    static SourceRef sourceOf(std::size_t child, SourceRef childSource);

    std::optional<std::string> displayName(SourceRef source) const override;
    std::int32_t uniqueID(SourceRef source) const override;
    bool isNativeUMP(SourceRef source, std::int32_t uniqueID) const override;
    bool canWait(SourceRef source) const override;
    void setReceiveCallback(ReceiveCallback callback) override;

    ClientRef createClient(const std::string& name, NotificationCallback onNotification) override;
    PortRef createInputPort(ClientRef client, const std::string& name,
                            MIDIProtocol protocol) override;
    void disposePort(PortRef port) override;
    std::vector<SourceRef> sources() const override;
    void connectSource(PortRef port, SourceRef source) override;
    // The sum over the children.
    std::uint64_t inputOverruns() const override;

private:
    struct Route {
        MIDIService* child;
        std::size_t index;
        SourceRef source;
    };
    std::optional<Route> route(SourceRef source) const;

    std::vector<std::unique_ptr<MIDIService>> children_;
    // Main thread: each child's client, and each composite port's child ports.
    std::vector<ClientRef> childClients_;
    std::map<PortRef, std::vector<PortRef>> ports_;
    PortRef lastPort_ = 0;
};

} // namespace umbrascope
