#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace umbrascope {

// Observers of a service's published state. Main thread only: subscribe, notify and unsubscribe
// all happen there. An observer may unsubscribe itself or others while being notified; observers
// added during a notification are first called on the next one.
template <typename... Args>
class ObserverList {
    struct Slot {
        std::size_t id;
        std::function<void(Args...)> callback;
    };
    struct State {
        std::vector<Slot> entries; // not "slots": a Qt keyword macro
        std::size_t nextId = 1;
        int notifying = 0;
        bool needsCompaction = false;
    };

public:
    // Ends its observation when destroyed or reset; safe to outlive the list.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&& other) noexcept
            : state_(std::move(other.state_)), id_(std::exchange(other.id_, 0)) {}
        Subscription& operator=(Subscription&& other) noexcept {
            if (this != &other) {
                reset();
                state_ = std::move(other.state_);
                id_ = std::exchange(other.id_, 0);
            }
            return *this;
        }
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription() { reset(); }

        void reset() {
            if (auto state = state_.lock()) {
                for (auto& slot : state->entries)
                    if (slot.id == id_) {
                        slot.callback = nullptr;
                        state->needsCompaction = true;
                    }
                if (state->notifying == 0) compact(*state);
            }
            state_.reset();
            id_ = 0;
        }

    private:
        friend class ObserverList;
        Subscription(std::weak_ptr<State> state, std::size_t id)
            : state_(std::move(state)), id_(id) {}
        std::weak_ptr<State> state_;
        std::size_t id_ = 0;
    };

    [[nodiscard]] Subscription subscribe(std::function<void(Args...)> callback) {
        const std::size_t id = state_->nextId++;
        state_->entries.push_back(Slot{id, std::move(callback)});
        return Subscription(state_, id);
    }

    void notify(Args... args) {
        // The list may be destroyed by an observer; keep the state alive for this pass.
        const std::shared_ptr<State> state = state_;
        ++state->notifying;
        const std::size_t count = state->entries.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!state->entries[i].callback) continue;
            auto callback = state->entries[i].callback; // the slot vector may grow during the call
            callback(args...);
        }
        if (--state->notifying == 0) compact(*state);
    }

    std::size_t size() const {
        std::size_t n = 0;
        for (const auto& slot : state_->entries)
            if (slot.callback) ++n;
        return n;
    }

private:
    static void compact(State& state) {
        if (!state.needsCompaction) return;
        std::erase_if(state.entries, [](const Slot& slot) { return !slot.callback; });
        state.needsCompaction = false;
    }

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace umbrascope
