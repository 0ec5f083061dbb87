#include "audio/speechd/LibspeechdConnection.hpp"
#include "audio/speechd/SpeechdVoices.hpp"

#include <libspeechd.h>
#include <poll.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>

namespace umbrascope {

namespace {

// The handler of the one open connection. libspeechd calls back on its own thread, with no
// context; a callback racing the close finds the handler gone.
std::mutex handlerMutex;
std::shared_ptr<SsipConnection::EventHandler> currentHandler;

void onNotification(std::size_t messageID, std::size_t, SPDNotificationType type) {
    std::shared_ptr<SsipConnection::EventHandler> handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    if (!handler) return;
    switch (type) {
    case SPD_EVENT_BEGIN:
        (*handler)(messageID, SsipEvent::begin);
        break;
    case SPD_EVENT_END:
        (*handler)(messageID, SsipEvent::end);
        break;
    case SPD_EVENT_CANCEL:
        (*handler)(messageID, SsipEvent::cancel);
        break;
    default:
        break;
    }
}

class LibspeechdConnection final : public SsipConnection {
public:
    LibspeechdConnection(SPDConnection* connection,
                         std::shared_ptr<SsipConnection::EventHandler> handler)
        : connection_(connection), handler_(std::move(handler)) {
        connection_->callback_begin = onNotification;
        connection_->callback_end = onNotification;
        connection_->callback_cancel = onNotification;
        spd_set_notification_on(connection_, SPD_BEGIN);
        spd_set_notification_on(connection_, SPD_END);
        spd_set_notification_on(connection_, SPD_CANCEL);
    }
    ~LibspeechdConnection() override {
        spd_close(connection_); // joins libspeechd's event thread
        std::lock_guard lock(handlerMutex);
        if (currentHandler == handler_) currentHandler.reset();
    }

    void setRate(int rate) override { spd_set_voice_rate(connection_, rate); }
    void setVolume(int volume) override { spd_set_volume(connection_, volume); }
    void setVoice(const std::string& name) override {
        if (defaultVoiceType_.empty()) defaultVoiceType_ = voiceType();
        spd_set_synthesis_voice(connection_, name.c_str());
    }
    void useDefaultVoice() override {
        // Naming a voice type drops the named voice; the type a new connection has is the
        // daemon's default.
        if (defaultVoiceType_.empty()) return; // no voice named yet
        const std::string command = "SET self VOICE_TYPE " + defaultVoiceType_;
        spd_execute_command(connection_, command.c_str());
    }
    std::optional<std::size_t> say(const std::string& text, SsipPriority priority) override {
        static constexpr SPDPriority priorities[] = {SPD_IMPORTANT, SPD_MESSAGE, SPD_TEXT,
                                                     SPD_NOTIFICATION, SPD_PROGRESS};
        const int id =
            spd_say(connection_, priorities[static_cast<std::size_t>(priority)], text.c_str());
        if (id < 0) return std::nullopt;
        return static_cast<std::size_t>(id);
    }
    void cancel() override { spd_cancel(connection_); } // never spd_cancel_all
    bool closed() const override {
        // libspeechd's reader thread just ends when the daemon goes; the socket tells.
        pollfd watched{connection_->socket, POLLRDHUP, 0};
        return ::poll(&watched, 1, 0) == 1 &&
               (watched.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
    }
    std::vector<Voice> voices() override { return voicesOf(connection_); }

private:
    // spd_get_voice_type reads the answer as a number, which it is not ("251-MALE1").
    std::string voiceType() {
        char* reply = nullptr;
        pthread_mutex_lock(&connection_->ssip_mutex);
        const int failed = spd_execute_command_with_reply(connection_, "GET voice_type", &reply);
        pthread_mutex_unlock(&connection_->ssip_mutex);
        std::string type;
        if (!failed && reply) {
            const std::string_view answer(reply);
            if (const auto dash = answer.find('-'); dash != std::string_view::npos)
                type = answer.substr(dash + 1, answer.find_first_of("\r\n", dash) - dash - 1);
        }
        std::free(reply);
        // NO_VOICE (or no answer) cannot be set again: the daemon's own default type.
        return type.empty() || type == "NO_VOICE" ? "MALE1" : type;
    }

    SPDConnection* connection_;
    std::string defaultVoiceType_; // read before the first voice is named
    std::shared_ptr<SsipConnection::EventHandler> handler_;
};

} // namespace

std::unique_ptr<SsipConnection> openLibspeechdConnection(SsipConnection::EventHandler handler,
                                                         std::string& error) {
    auto shared = std::make_shared<SsipConnection::EventHandler>(std::move(handler));
    {
        std::lock_guard lock(handlerMutex);
        currentHandler = shared;
    }
    char* failure = nullptr;
    constexpr int autospawn = 0;
    SPDConnection* connection =
        spd_open2("umbrascope", "main", nullptr, SPD_MODE_THREADED, nullptr, autospawn, &failure);
    if (!connection) {
        error = failure ? failure : "no answer from the daemon";
        std::free(failure);
        std::lock_guard lock(handlerMutex);
        if (currentHandler == shared) currentHandler.reset();
        return nullptr;
    }
    std::free(failure);
    return std::make_unique<LibspeechdConnection>(connection, std::move(shared));
}

} // namespace umbrascope
