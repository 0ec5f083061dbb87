#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace umbrascope {

namespace {
using SteadyClock = std::chrono::steady_clock;
} // namespace

struct SpeechDispatcherSynthesizer::Shared {
    struct Command {
        enum class Kind { connect, speak, stop, listVoices } kind;
        Utterance utterance;
    };
    struct Pending {
        SteadyClock::time_point deadline;
        std::size_t characters = 0;
        bool started = false;
        std::optional<std::size_t> messageID;
    };

    Shared(SsipConnector c, SpeechDispatcherBounds b) : connector(std::move(c)), bounds(b) {}

    const SsipConnector connector;
    const SpeechDispatcherBounds bounds;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Command> commands;
    bool quit = false;
    SpeechDispatcherSynthesizer* owner = nullptr; // null once the owner is gone: no more reports
    std::map<std::uint64_t, Pending> pending;     // handed over and not yet ended
    std::map<std::size_t, std::uint64_t> byMessage;
    std::multimap<std::size_t, SsipEvent> early; // arrived before say() returned the id
    std::vector<Voice> voices;
    std::optional<bool> connected;
    bool workerDone = false;
    bool voicesRequested = false;
    bool voicesLoaded = false;
    std::string connectionError;
    std::condition_variable connectedChanged;
    std::condition_variable stopped; // wakes the watchdog at shutdown

    // Worker thread only.
    std::unique_ptr<SsipConnection> connection;

    // All under `mutex`.
    void end(std::uint64_t id, SpeechReport kind) {
        const auto found = pending.find(id);
        if (found == pending.end()) return;
        if (found->second.messageID) byMessage.erase(*found->second.messageID);
        pending.erase(found);
        if (owner) owner->report(id, kind);
    }
    void notify(std::size_t messageID, SsipEvent event) {
        const auto found = byMessage.find(messageID);
        if (found == byMessage.end()) {
            early.emplace(messageID, event);
            return;
        }
        const auto id = found->second;
        switch (event) {
        case SsipEvent::begin:
            if (auto p = pending.find(id); p != pending.end() && !p->second.started) {
                p->second.started = true;
                p->second.deadline =
                    SteadyClock::now() + bounds.endBase +
                    bounds.endPerCharacter * static_cast<std::int64_t>(p->second.characters);
                if (owner) owner->report(id, SpeechReport::started);
            }
            break;
        case SsipEvent::end:
            end(id, SpeechReport::finished);
            break;
        case SsipEvent::cancel:
            end(id, SpeechReport::cancelled);
            break;
        }
    }
    void requestVoices() {
        if (voicesRequested) return;
        voicesRequested = true;
        commands.push_back({Command::Kind::listVoices, {}});
        wake.notify_all();
    }
    void expireOverdue() {
        const auto now = SteadyClock::now();
        std::vector<std::uint64_t> overdue;
        for (const auto& [id, p] : pending)
            if (p.deadline < now) overdue.push_back(id);
        for (const auto id : overdue)
            end(id, SpeechReport::failed);
        // Notices for messages we never learned the id of are kept only briefly.
        if (early.size() > 256) early.clear();
    }

    // Ends overdue utterances even while the worker is stuck in a call the daemon never answers.
    void watch() {
        std::unique_lock lock(mutex);
        while (!quit) {
            stopped.wait_for(lock, std::chrono::milliseconds(100));
            expireOverdue();
        }
    }

    // Worker thread, without `mutex`.
    void run();
    bool connect();
    void listVoices();
    void say(const Utterance& utterance);
};

int SpeechDispatcherSynthesizer::toDaemonScale(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 200.0f - 100.0f));
}

SpeechDispatcherSynthesizer::SpeechDispatcherSynthesizer(SsipConnector connector,
                                                         SpeechDispatcherBounds bounds)
    : shared_(std::make_shared<Shared>(std::move(connector), bounds)) {
    shared_->owner = this;
    shared_->commands.push_back({Shared::Command::Kind::connect, {}});
    // The threads hold the shared state, so a worker stuck in a call that never returns can be
    // left behind at shutdown without touching freed memory.
    std::thread([shared = shared_] { shared->run(); }).detach();
    std::thread([shared = shared_] { shared->watch(); }).detach();
}

SpeechDispatcherSynthesizer::~SpeechDispatcherSynthesizer() {
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    shared_->commands.clear();
    while (!shared_->pending.empty())
        shared_->end(shared_->pending.begin()->first, SpeechReport::cancelled);
    shared_->owner = nullptr;
    shared_->wake.notify_all();
    shared_->stopped.notify_all();
    // Let the worker close the connection; one stuck in a call the daemon never answers is left
    // behind with the shared state it holds.
    shared_->connectedChanged.wait_for(lock, std::chrono::seconds(2),
                                       [&] { return shared_->workerDone; });
}

void SpeechDispatcherSynthesizer::speak(const Utterance& utterance) {
    std::lock_guard lock(shared_->mutex);
    shared_->pending[utterance.id] = {
        SteadyClock::now() + shared_->bounds.begin, utterance.text.size(), false, {}};
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
            wake.wait(lock, [this] { return quit || !commands.empty(); });
            if (quit) break;
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
            if (connection) connection->cancel();
            break;
        }
    }
    connection.reset();
    std::lock_guard lock(mutex);
    workerDone = true;
    connectedChanged.notify_all();
}

bool SpeechDispatcherSynthesizer::Shared::connect() {
    if (connection) return true;
    std::string error;
    connection = connector(
        [this](std::size_t messageID, SsipEvent event) {
            std::lock_guard lock(mutex);
            notify(messageID, event);
        },
        error);
    std::lock_guard lock(mutex);
    connected = connection != nullptr;
    connectionError = connection ? "" : error.empty() ? "no answer from the daemon" : error;
    connectedChanged.notify_all();
    return connection != nullptr;
}

void SpeechDispatcherSynthesizer::Shared::listVoices() {
    std::vector<Voice> found;
    if (connect()) found = connection->voices();
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
    std::optional<std::size_t> messageID;
    if (connect()) {
        connection->setRate(toDaemonScale(utterance.rate));
        connection->setVolume(toDaemonScale(utterance.volume));
        if (utterance.voiceIdentifier) connection->setVoice(*utterance.voiceIdentifier);
        messageID = connection->say(utterance.text);
        // The daemon went away: start afresh with the next utterance.
        if (!messageID) connection.reset();
    }
    std::lock_guard lock(mutex);
    if (!messageID) {
        end(utterance.id, SpeechReport::failed);
        return;
    }
    const auto found = pending.find(utterance.id);
    if (found == pending.end()) return; // stopped while the daemon was answering
    found->second.messageID = *messageID;
    byMessage[*messageID] = utterance.id;
    const auto [first, last] = early.equal_range(*messageID);
    std::vector<SsipEvent> arrived;
    for (auto it = first; it != last; ++it)
        arrived.push_back(it->second);
    early.erase(first, last);
    for (const auto event : arrived)
        notify(*messageID, event);
}

} // namespace umbrascope
