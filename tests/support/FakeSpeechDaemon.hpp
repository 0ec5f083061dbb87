#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/speechd/SsipConnection.hpp"

namespace umbrascope::testing_support {

// A daemon behind a fake connection: it answers say() with the events a test scripts, sent before
// say() returns (as a fast daemon's can be), and records what it was asked. As the real one, it
// drops a `text` message still waiting (one given no event) for a new `text` one, with a cancel
// notice. Shared with the synthesizer's worker, which may outlive the test's frame by a moment.
struct FakeSpeechDaemon {
    std::mutex mutex;
    bool running = true;
    bool refusesText = false;
    bool hangs = false; // say() answers only once released, as a hung daemon never does
    std::condition_variable released;
    std::vector<SsipEvent> eventsOnSay;
    std::optional<std::vector<SsipEvent>> eventsOnLaterSays; // from the second say() on
    bool dropsAfterSay = false; // closes the connection once it has answered, as a dying daemon
    bool dropped = false;
    std::vector<std::string> said;
    std::vector<SsipPriority> priorities;
    std::optional<std::string> voice;      // none: the daemon's default
    std::vector<std::string> voicesOfSays; // "" for the default
    std::size_t nextMessage = 40;
    std::optional<std::size_t> waitingText;
    SsipConnection::EventHandler handler;

    void release() {
        {
            std::lock_guard lock(mutex);
            hangs = false;
        }
        released.notify_all();
    }

    class Connection final : public SsipConnection {
    public:
        explicit Connection(std::shared_ptr<FakeSpeechDaemon> daemon)
            : daemon_(std::move(daemon)) {}
        void setRate(int) override {}
        void setVolume(int) override {}
        void setVoice(const std::string& name) override {
            std::lock_guard lock(daemon_->mutex);
            daemon_->voice = name;
        }
        void useDefaultVoice() override {
            std::lock_guard lock(daemon_->mutex);
            daemon_->voice.reset();
        }
        std::optional<std::size_t> say(const std::string& text, SsipPriority priority) override {
            std::vector<SsipEvent> events;
            std::size_t message = 0;
            std::optional<std::size_t> replaced;
            EventHandler handler;
            {
                std::unique_lock lock(daemon_->mutex);
                daemon_->said.push_back(text);
                daemon_->priorities.push_back(priority);
                daemon_->voicesOfSays.push_back(daemon_->voice.value_or(""));
                daemon_->released.wait(lock, [this] { return !daemon_->hangs; });
                if (daemon_->refusesText || daemon_->dropped) return std::nullopt;
                message = daemon_->nextMessage++;
                events = daemon_->said.size() > 1 && daemon_->eventsOnLaterSays
                             ? *daemon_->eventsOnLaterSays
                             : daemon_->eventsOnSay;
                handler = daemon_->handler;
                if (priority == SsipPriority::text) {
                    replaced = std::exchange(daemon_->waitingText, std::nullopt);
                    if (events.empty()) daemon_->waitingText = message;
                }
            }
            if (replaced) handler(*replaced, SsipEvent::cancel);
            for (const auto event : events)
                handler(message, event);
            std::lock_guard lock(daemon_->mutex);
            if (daemon_->dropsAfterSay) daemon_->dropped = true;
            return message;
        }
        void cancel() override {}
        bool closed() const override {
            std::lock_guard lock(daemon_->mutex);
            return daemon_->dropped;
        }
        std::vector<Voice> voices() override { return {}; }

    private:
        std::shared_ptr<FakeSpeechDaemon> daemon_;
    };

    static SsipConnector connector(const std::shared_ptr<FakeSpeechDaemon>& daemon) {
        return [daemon](SsipConnection::EventHandler handler,
                        std::string& error) -> std::unique_ptr<SsipConnection> {
            std::lock_guard lock(daemon->mutex);
            if (!daemon->running) {
                error = "no daemon at the socket";
                return nullptr;
            }
            daemon->handler = std::move(handler);
            return std::make_unique<Connection>(daemon);
        };
    }
};

} // namespace umbrascope::testing_support
