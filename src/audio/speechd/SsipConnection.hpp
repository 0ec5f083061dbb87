#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

enum class SsipEvent : std::uint8_t { begin, end, cancel };

// The daemon's ranks for messages of all its clients (a screen reader is one of them).
enum class SsipPriority : std::uint8_t { important, message, text, notification, progress };

// One client connection to a speech-dispatcher daemon: the SSIP calls the synthesizer makes.
// Calls come from one worker thread and may block for as long as the daemon takes to answer.
// Events arrive on the connection's own thread, keyed by the message id say() returns, and may
// arrive before say() has returned it.
class SsipConnection {
public:
    using EventHandler = std::function<void(std::size_t messageID, SsipEvent)>;

    virtual ~SsipConnection() = default;

    // The daemon's -100..100 scales.
    virtual void setRate(int rate) = 0;
    virtual void setVolume(int volume) = 0;
    // An unknown name leaves the daemon's default voice in place.
    virtual void setVoice(const std::string& name) = 0;
    // Back to the voice a new connection starts with: the daemon's default.
    virtual void useDefaultVoice() = 0;
    // The message id; none when the daemon did not take the text (the connection is then broken).
    virtual std::optional<std::size_t> say(const std::string& text, SsipPriority priority) = 0;
    // Cancels this connection's messages only: other clients, such as a screen reader, share the
    // daemon.
    virtual void cancel() = 0;
    virtual std::vector<Voice> voices() = 0;
    // True once the daemon has closed the connection. Any thread, also during another call.
    virtual bool closed() const = 0;
};

// Opens a connection whose events go to `handler`; none, with the reason in `error`, when no
// daemon answers.
using SsipConnector = std::function<std::unique_ptr<SsipConnection>(
    SsipConnection::EventHandler handler, std::string& error)>;

} // namespace umbrascope
