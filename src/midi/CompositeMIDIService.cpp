#include "midi/CompositeMIDIService.hpp"

#include <stdexcept>
#include <utility>

namespace umbrascope {

namespace {

constexpr unsigned childShift = 56;
constexpr MIDIService::ClientRef theClient = 1;

} // namespace

static_assert(MIDIService::maxSourceRef == (std::uint64_t{1} << childShift) - 1);
static_assert(CompositeMIDIService::maxChildren == std::size_t{1} << (64 - childShift));

CompositeMIDIService::CompositeMIDIService(std::vector<std::unique_ptr<MIDIService>> children)
    : children_(std::move(children)), childClients_(children_.size(), 0) {
    if (children_.size() > maxChildren)
        throw std::length_error("CompositeMidiService: more than 256 children");
}

SourceRef CompositeMIDIService::sourceOf(std::size_t child, SourceRef childSource) {
    return SourceRef{(static_cast<std::uint64_t>(child) << childShift) |
                     (childSource.value & maxSourceRef)};
}

std::optional<CompositeMIDIService::Route> CompositeMIDIService::route(SourceRef source) const {
    const auto index = static_cast<std::size_t>(source.value >> childShift);
    if (index >= children_.size()) return std::nullopt;
    return Route{children_[index].get(), index, SourceRef{source.value & maxSourceRef}};
}

std::optional<std::string> CompositeMIDIService::displayName(SourceRef source) const {
    const auto found = route(source);
    return found ? found->child->displayName(found->source) : std::nullopt;
}

std::int32_t CompositeMIDIService::uniqueID(SourceRef source) const {
    const auto found = route(source);
    return found ? found->child->uniqueID(found->source) : 0;
}

bool CompositeMIDIService::isNativeUMP(SourceRef source, std::int32_t uniqueID) const {
    const auto found = route(source);
    return found && found->child->isNativeUMP(found->source, uniqueID);
}

bool CompositeMIDIService::canWait(SourceRef source) const {
    const auto found = route(source);
    return found && found->child->canWait(found->source);
}

void CompositeMIDIService::setReceiveCallback(ReceiveCallback callback) {
    if (!callback) {
        for (const auto& child : children_)
            child->setReceiveCallback({});
        return;
    }
    const auto shared = std::make_shared<const ReceiveCallback>(std::move(callback));
    for (std::size_t index = 0; index < children_.size(); ++index)
        children_[index]->setReceiveCallback(
            [shared, index](const EventList& list, std::optional<SourceRef> source) {
                // A reference that breaks the contract cannot be told apart: no source.
                if (source && source->value > maxSourceRef) source.reset();
                (*shared)(list, source ? std::optional(sourceOf(index, *source)) : std::nullopt);
            });
}

MIDIService::ClientRef CompositeMIDIService::createClient(const std::string& name,
                                                          NotificationCallback onNotification) {
    bool any = false;
    for (std::size_t index = 0; index < children_.size(); ++index) {
        childClients_[index] = children_[index]->createClient(name, onNotification);
        any |= childClients_[index] != 0;
    }
    return any ? theClient : 0;
}

MIDIService::PortRef CompositeMIDIService::createInputPort(ClientRef, const std::string& name,
                                                           MIDIProtocol protocol) {
    // Every child is asked, with its own client, as the manager would ask it alone.
    std::vector<PortRef> childPorts(children_.size(), 0);
    bool any = false;
    for (std::size_t index = 0; index < children_.size(); ++index) {
        childPorts[index] = children_[index]->createInputPort(childClients_[index], name, protocol);
        any |= childPorts[index] != 0;
    }
    if (!any) return 0;
    const PortRef port = ++lastPort_;
    ports_.emplace(port, std::move(childPorts));
    return port;
}

void CompositeMIDIService::disposePort(PortRef port) {
    const auto found = ports_.find(port);
    if (found == ports_.end()) return;
    for (std::size_t index = 0; index < children_.size(); ++index)
        if (found->second[index] != 0) children_[index]->disposePort(found->second[index]);
    ports_.erase(found);
}

std::vector<SourceRef> CompositeMIDIService::sources() const {
    std::vector<SourceRef> all;
    for (std::size_t index = 0; index < children_.size(); ++index)
        for (const SourceRef source : children_[index]->sources())
            if (source.value <= maxSourceRef) all.push_back(sourceOf(index, source));
    return all;
}

void CompositeMIDIService::connectSource(PortRef port, SourceRef source) {
    const auto found = route(source);
    if (!found) return;
    const auto ports = ports_.find(port);
    found->child->connectSource(ports == ports_.end() ? 0 : ports->second[found->index],
                                found->source);
}

std::uint64_t CompositeMIDIService::inputOverruns() const {
    std::uint64_t total = 0;
    for (const auto& child : children_)
        total += child->inputOverruns();
    return total;
}

} // namespace umbrascope
