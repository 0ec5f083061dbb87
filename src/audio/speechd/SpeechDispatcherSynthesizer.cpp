#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"

#include <libspeechd.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace umbrascope {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Generous: the slowest rate speaks about seven characters a second.
SteadyClock::duration endBound(const std::string& text) {
    return std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(10.0 + 0.25 * static_cast<double>(text.size())));
}

} // namespace

struct SpeechDispatcherSynthesizer::Shared {
    struct Command {
        enum class Kind { connect, speak, stop, listVoices } kind;
        Utterance utterance;
    };
    struct Pending {
        SteadyClock::time_point deadline;
        bool started = false;
        std::optional<std::size_t> messageID;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Command> commands;
    bool quit = false;
    SpeechDispatcherSynthesizer* owner = nullptr; // null once the owner is gone: no more reports
    std::map<std::uint64_t, Pending> pending;     // handed over and not yet ended
    std::map<std::size_t, std::uint64_t> byMessage;
    std::multimap<std::size_t, SPDNotificationType> early; // arrived before spd_say returned
    std::vector<Voice> voices;
    std::optional<bool> connected;
    bool workerDone = false;
    bool voicesRequested = false;
    bool voicesLoaded = false;
    std::string connectionError;
    std::condition_variable connectedChanged;

    // Worker thread only.
    SPDConnection* connection = nullptr;

    // All under `mutex`.
    void end(std::uint64_t id, SpeechReport kind) {
        const auto found = pending.find(id);
        if (found == pending.end()) return;
        if (found->second.messageID) byMessage.erase(*found->second.messageID);
        pending.erase(found);
        if (owner) owner->report(id, kind);
    }
    void notify(std::size_t messageID, SPDNotificationType type) {
        const auto found = byMessage.find(messageID);
        if (found == byMessage.end()) {
            early.emplace(messageID, type);
            return;
        }
        const auto id = found->second;
        switch (type) {
        case SPD_EVENT_BEGIN:
            if (auto p = pending.find(id); p != pending.end() && !p->second.started) {
                p->second.started = true;
                if (owner) owner->report(id, SpeechReport::started);
            }
            break;
        case SPD_EVENT_END:
            end(id, SpeechReport::finished);
            break;
        case SPD_EVENT_CANCEL:
            end(id, SpeechReport::cancelled);
            break;
        default:
            break;
        }
    }

    // Under `mutex`.
    void requestVoices() {
        if (voicesRequested) return;
        voicesRequested = true;
        commands.push_back({Command::Kind::listVoices, {}});
        wake.notify_all();
    }

    void run();
    void listVoices();
    bool connect();
    void say(const Utterance& utterance);
    void expireOverdue();
};

namespace {

// libspeechd's callbacks carry no context; the one live backend is found here.
std::mutex liveMutex;
std::weak_ptr<SpeechDispatcherSynthesizer::Shared> live;

void onNotification(std::size_t messageID, std::size_t, SPDNotificationType type) {
    std::shared_ptr<SpeechDispatcherSynthesizer::Shared> shared;
    {
        std::lock_guard lock(liveMutex);
        shared = live.lock();
    }
    if (!shared) return;
    std::lock_guard lock(shared->mutex);
    shared->notify(messageID, type);
}

} // namespace

int SpeechDispatcherSynthesizer::toDaemonScale(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 200.0f - 100.0f));
}

SpeechDispatcherSynthesizer::SpeechDispatcherSynthesizer() : shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    {
        std::lock_guard lock(liveMutex);
        live = shared_;
    }
    shared_->commands.push_back({Shared::Command::Kind::connect, {}});
    // The worker holds the shared state, so a worker stuck in a call that never returns can be
    // left behind at shutdown without touching freed memory.
    std::thread([shared = shared_] { shared->run(); }).detach();
}

SpeechDispatcherSynthesizer::~SpeechDispatcherSynthesizer() {
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    shared_->commands.clear();
    while (!shared_->pending.empty())
        shared_->end(shared_->pending.begin()->first, SpeechReport::cancelled);
    shared_->owner = nullptr;
    shared_->wake.notify_all();
    // Let the worker close the connection; one stuck in a call the daemon never answers is left
    // behind with the shared state it holds.
    shared_->connectedChanged.wait_for(lock, std::chrono::seconds(2),
                                       [&] { return shared_->workerDone; });
}

void SpeechDispatcherSynthesizer::speak(const Utterance& utterance) {
    std::lock_guard lock(shared_->mutex);
    shared_->pending[utterance.id] = {SteadyClock::now() + endBound(utterance.text), false, {}};
    shared_->commands.push_back({Shared::Command::Kind::speak, utterance});
    shared_->wake.notify_all();
}

void SpeechDispatcherSynthesizer::stopSpeaking() {
    std::lock_guard lock(shared_->mutex);
    // Everything handed over so far ends now; the daemon's own cancel notices come too late to
    // matter and find nothing left to end.
    std::erase_if(shared_->commands,
                  [](const Shared::Command& c) { return c.kind == Shared::Command::Kind::speak; });
    while (!shared_->pending.empty())
        shared_->end(shared_->pending.begin()->first, SpeechReport::cancelled);
    shared_->commands.push_back({Shared::Command::Kind::stop, {}});
    shared_->wake.notify_all();
}

std::vector<Voice> SpeechDispatcherSynthesizer::voices() const {
    std::lock_guard lock(shared_->mutex);
    shared_->requestVoices();
    return shared_->voices;
}

bool SpeechDispatcherSynthesizer::hasVoice(const std::string& identifier) const {
    std::lock_guard lock(shared_->mutex);
    shared_->requestVoices();
    return std::any_of(shared_->voices.begin(), shared_->voices.end(),
                       [&](const Voice& voice) { return voice.identifier == identifier; });
}

bool SpeechDispatcherSynthesizer::loadVoices(std::chrono::milliseconds timeout) {
    std::unique_lock lock(shared_->mutex);
    shared_->requestVoices();
    return shared_->connectedChanged.wait_for(lock, timeout, [&] { return shared_->voicesLoaded; });
}

std::string SpeechDispatcherSynthesizer::connectionError() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->connectionError;
}

bool SpeechDispatcherSynthesizer::waitUntilConnected(std::chrono::milliseconds timeout) {
    std::unique_lock lock(shared_->mutex);
    shared_->connectedChanged.wait_for(lock, timeout,
                                       [&] { return shared_->connected.has_value(); });
    return shared_->connected.value_or(false);
}

void SpeechDispatcherSynthesizer::Shared::run() {
    for (;;) {
        std::optional<Command> command;
        {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, std::chrono::milliseconds(100),
                          [this] { return quit || !commands.empty(); });
            if (quit) break;
            expireOverdue();
            if (!commands.empty()) {
                command = std::move(commands.front());
                commands.pop_front();
            }
        }
        if (!command) continue;
        switch (command->kind) {
        case Command::Kind::connect:
            connect();
            break;
        case Command::Kind::listVoices:
            listVoices();
            break;
        case Command::Kind::speak:
            say(command->utterance);
            break;
        case Command::Kind::stop:
            if (connection) spd_cancel(connection); // never spd_cancel_all: not ours to silence
            break;
        }
    }
    if (connection) spd_close(connection);
    std::lock_guard lock(mutex);
    workerDone = true;
    connectedChanged.notify_all();
}

bool SpeechDispatcherSynthesizer::Shared::connect() {
    if (connection) return true;
    char* error = nullptr;
    connection = spd_open2("umbrascope", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    const std::string errorText = connection ? "" : error ? error : "no answer from the daemon";
    std::free(error);
    if (connection) {
        connection->callback_begin = onNotification;
        connection->callback_end = onNotification;
        connection->callback_cancel = onNotification;
        spd_set_notification_on(connection, SPD_BEGIN);
        spd_set_notification_on(connection, SPD_END);
        spd_set_notification_on(connection, SPD_CANCEL);
    }
    std::lock_guard lock(mutex);
    connected = connection != nullptr;
    connectionError = errorText;
    connectedChanged.notify_all();
    return connection != nullptr;
}

void SpeechDispatcherSynthesizer::Shared::listVoices() {
    std::vector<Voice> found;
    if (connect()) {
        if (SPDVoice** list = spd_list_synthesis_voices(connection)) {
            for (SPDVoice** voice = list; *voice; ++voice)
                if ((*voice)->name)
                    found.push_back({(*voice)->name, (*voice)->name,
                                     (*voice)->language ? (*voice)->language : ""});
            free_spd_voices(list);
        }
    }
    std::lock_guard lock(mutex);
    voices = std::move(found);
    voicesLoaded = true;
    connectedChanged.notify_all();
}

void SpeechDispatcherSynthesizer::Shared::say(const Utterance& utterance) {
    {
        std::lock_guard lock(mutex);
        if (!pending.contains(utterance.id)) return; // stopped before its turn
    }
    int messageID = -1;
    if (connect()) {
        spd_set_voice_rate(connection, toDaemonScale(utterance.rate));
        spd_set_volume(connection, toDaemonScale(utterance.volume));
        // An unknown voice leaves the daemon's default in place.
        if (utterance.voiceIdentifier)
            spd_set_synthesis_voice(connection, utterance.voiceIdentifier->c_str());
        // Message priority never cancels anyone else's speech.
        messageID = spd_say(connection, SPD_MESSAGE, utterance.text.c_str());
    }
    std::lock_guard lock(mutex);
    if (messageID < 0) {
        // The daemon went away: start afresh with the next utterance.
        if (connection) {
            spd_close(connection);
            connection = nullptr;
        }
        end(utterance.id, SpeechReport::cancelled);
        return;
    }
    const auto message = static_cast<std::size_t>(messageID);
    const auto found = pending.find(utterance.id);
    if (found == pending.end()) return; // stopped while the daemon was answering
    found->second.messageID = message;
    byMessage[message] = utterance.id;
    const auto [first, last] = early.equal_range(message);
    std::vector<SPDNotificationType> arrived;
    for (auto it = first; it != last; ++it)
        arrived.push_back(it->second);
    early.erase(first, last);
    for (const auto type : arrived)
        notify(message, type);
}

void SpeechDispatcherSynthesizer::Shared::expireOverdue() {
    const auto now = SteadyClock::now();
    std::vector<std::uint64_t> overdue;
    for (const auto& [id, p] : pending)
        if (p.deadline < now) overdue.push_back(id);
    for (const auto id : overdue)
        end(id, SpeechReport::cancelled);
    // Notices for messages we never learned the id of are kept only briefly.
    if (early.size() > 256) early.clear();
}

} // namespace umbrascope
