#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "midi/MIDIService.hpp"

namespace umbrascope::testing_support {

// A MIDI service whose sources are set by the test and whose deliveries happen on the calling
// thread, as the service's own thread would make them. It has no client: a manager on it keeps
// the defaults (no port, no source list). Source queries are safe from any thread.
class FakeMIDIService : public MIDIService {
public:
    struct Source {
        std::optional<std::string> name;
        std::int32_t id = 0;
        bool native = false;
    };

    SourceRef addSource(Source source) {
        std::lock_guard lock(mutex_);
        const SourceRef ref{nextRef_++};
        sources_[ref.value] = std::move(source);
        return ref;
    }
    // Does nothing without a receiver.
    void deliver(const EventList& list, std::optional<SourceRef> source) {
        std::lock_guard lock(receiverMutex_);
        if (receiver_) receiver_(list, source);
    }

    std::optional<std::string> displayName(SourceRef source) const override {
        const auto found = find(source);
        return found ? found->name : std::nullopt;
    }
    std::int32_t uniqueID(SourceRef source) const override {
        const auto found = find(source);
        return found ? found->id : 0;
    }
    bool isNativeUMP(SourceRef source, std::int32_t) const override {
        const auto found = find(source);
        return found && found->native;
    }
    void setReceiveCallback(ReceiveCallback callback) override {
        std::lock_guard lock(receiverMutex_);
        receiver_ = std::move(callback);
    }

protected:
    mutable std::mutex mutex_; // guards the sources, here and in a subclass

private:
    std::optional<Source> find(SourceRef source) const {
        std::lock_guard lock(mutex_);
        const auto it = sources_.find(source.value);
        return it == sources_.end() ? std::nullopt : std::optional(it->second);
    }

    std::map<std::uint64_t, Source> sources_;
    std::uint64_t nextRef_ = 1;
    std::mutex receiverMutex_;
    ReceiveCallback receiver_;
};

} // namespace umbrascope::testing_support
