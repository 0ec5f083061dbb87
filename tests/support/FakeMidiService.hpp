#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "midi/MidiService.hpp"

namespace umbrascope::testing_support {

// A MIDI service whose sources are set by the test and whose deliveries happen on the calling
// thread. Source queries are safe from any thread once the sources are set up.
class FakeMidiService final : public MidiService {
public:
    struct Source {
        std::optional<std::string> name;
        std::int32_t id = 0;
        bool native = true;
    };

    SourceRef addSource(Source source) {
        const SourceRef ref{nextRef_++};
        sources_[ref.value] = std::move(source);
        return ref;
    }

    std::optional<std::string> displayName(SourceRef source) const override {
        const auto it = sources_.find(source.value);
        return it == sources_.end() ? std::nullopt : it->second.name;
    }
    std::int32_t uniqueID(SourceRef source) const override {
        const auto it = sources_.find(source.value);
        return it == sources_.end() ? 0 : it->second.id;
    }
    bool isNativeUMP(SourceRef source, std::int32_t) const override {
        const auto it = sources_.find(source.value);
        return it != sources_.end() && it->second.native;
    }

    void setReceiveCallback(ReceiveCallback callback) override {
        std::lock_guard lock(mutex_);
        callback_ = std::move(callback);
    }

    // Delivers as the service's thread would; does nothing without a receiver.
    void deliver(const EventList& list, std::optional<SourceRef> source) {
        std::lock_guard lock(mutex_);
        if (callback_) callback_(list, source);
    }

    bool hasReceiver() const {
        std::lock_guard lock(mutex_);
        return static_cast<bool>(callback_);
    }

private:
    std::map<std::uint64_t, Source> sources_;
    std::uint64_t nextRef_ = 1;
    mutable std::mutex mutex_;
    ReceiveCallback callback_;
};

} // namespace umbrascope::testing_support
