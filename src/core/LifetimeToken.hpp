#pragma once

#include <memory>
#include <utility>

namespace umbrascope {

// Lets work that an object hands out (posted tasks, callbacks given to services) find out whether
// the object still exists, so a task that runs after it is gone does nothing.
//
// The owner ends the token first thing in its destructor (or declares it as its last member).
// guard() and watch() may be called from any thread while the owner exists; the check itself is
// made where the wrapped work runs, which must be the owner's thread (the main thread), so it
// cannot race with the end.
class LifetimeToken {
public:
    class Watch {
    public:
        bool expired() const { return alive_.expired(); }

    private:
        friend class LifetimeToken;
        explicit Watch(std::weak_ptr<const bool> alive) : alive_(std::move(alive)) {}
        std::weak_ptr<const bool> alive_;
    };

    LifetimeToken() = default;
    ~LifetimeToken() { end(); }
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;

    void end() { alive_.reset(); }

    Watch watch() const { return Watch(weak_); }

    // `work`, called only while the owner exists; its result, if any, is dropped.
    template <typename Work>
    auto guard(Work work) const {
        return [watch = watch(), work = std::move(work)](auto&&... args) mutable {
            if (!watch.expired()) work(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
    // Never reassigned, so copying it on another thread does not race with end().
    const std::weak_ptr<const bool> weak_ = alive_;
};

} // namespace umbrascope
