#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace umbrascope {

SsipPriority daemonPriority(UtteranceKind kind) {
    static constexpr SsipPriority priorities[] = {
        SsipPriority::important,    // confirmation
        SsipPriority::text,         // reading
        SsipPriority::notification, // announcement
        SsipPriority::notification, // heading
    };
    return priorities[static_cast<std::size_t>(kind)];
}

bool readingStalled(MonoTime taken, std::optional<MonoTime> othersSpoke, MonoTime now,
                    const SpeechDispatcherBounds& bounds) {
    const bool othersLately = othersSpoke && now - *othersSpoke < bounds.stalled;
    return now - taken >= bounds.stalled && !othersLately;
}

namespace {

constexpr const char* notAnswered = "speech-dispatcher did not answer";
constexpr const char* notReached = "speech-dispatcher is not running";
constexpr const char* notTaken = "speech-dispatcher did not take the text";
constexpr const char* notFinished =
    "speech-dispatcher did not finish speaking (has it an audio output?)";
constexpr const char* connectionLost = "speech-dispatcher closed the connection (did it stop?)";

} // namespace

struct SpeechDispatcherSynthesizer::Shared {
    struct Command {
        enum class Kind { connect, speak, stop, listVoices } kind;
        Utterance utterance;
    };
    struct Pending {
        Utterance utterance;
        MonoTime handedOver;
        // None while it waits its turn behind other speech, which is no failure.
        std::optional<MonoTime> deadline;
        std::optional<MonoTime> taken; // when the daemon took the message it has now
        bool begun = false;
        bool startReported = false;
        bool saidAgain = false; // after a cut by the key's echo
        int unbegunRetries = 0;
        std::optional<std::size_t> messageID;
    };

    Shared(SsipConnector c, SpeechDispatcherBounds b, const Clock& k)
        : connector(std::move(c)), bounds(b), clock(k) {}

    const SsipConnector connector;
    const SpeechDispatcherBounds bounds;
    const Clock& clock;

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
    bool hasPlayed = false; // the daemon ended one of ours: it has an audio output
    bool lost = false;      // the daemon closed the connection: the worker opens a new one
    std::optional<MonoTime> othersSpoke; // another client cut one of ours off
    std::string connectionError;
    std::string failure;
    std::condition_variable connectedChanged;
    std::condition_variable stopped; // wakes the watchdog at shutdown

    // Written by the worker under `mutex` (and released outside it: closing joins libspeechd's
    // thread, which may be waiting for `mutex`); read by the worker freely and by the watchdog
    // under `mutex`.
    std::shared_ptr<SsipConnection> connection;
    // Worker thread only: what the connection was last set to, so that each utterance of a burst
    // costs the daemon one call.
    std::optional<int> rateSet;
    std::optional<int> volumeSet;
    std::optional<std::string> voiceSet;

    // All under `mutex`.
    void end(std::uint64_t id, SpeechReport kind, const char* why = nullptr) {
        const auto found = pending.find(id);
        if (found == pending.end()) return;
        if (found->second.messageID) byMessage.erase(*found->second.messageID);
        pending.erase(found);
        if (why) failure = why;
        if (owner) owner->report(id, kind);
    }
    void cancelled(std::uint64_t id) {
        // Ours are stopped by us only after they have ended: this was another client.
        const MonoTime now = clock.monotonicNow();
        othersSpoke = now;
        auto& p = pending.at(id);
        const bool reading = p.utterance.kind == UtteranceKind::reading;
        // Dropped from the queue for the screen reader's speech: not a word of it was heard.
        const bool dropped = reading && !p.begun && p.unbegunRetries < bounds.unbegunRetries;
        const bool echoCut = reading && p.begun && !p.saidAgain && now - p.handedOver < bounds.echo;
        if (!dropped && !echoCut) {
            end(id, SpeechReport::cancelled);
            return;
        }
        if (dropped)
            ++p.unbegunRetries;
        else
            p.saidAgain = true;
        sayAgain(id);
    }
    // Hands the utterance over again; it waits for the other client's speech to end. The user
    // hears one reading, so its start is not told again.
    void sayAgain(std::uint64_t id) {
        auto& p = pending.at(id);
        p.begun = false;
        p.taken.reset();
        p.deadline = clock.monotonicNow() + bounds.begin;
        byMessage.erase(*p.messageID);
        p.messageID.reset();
        commands.push_front({Command::Kind::speak, p.utterance});
        wake.notify_all();
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
            if (auto p = pending.find(id); p != pending.end() && !p->second.begun) {
                p->second.begun = true;
                p->second.deadline = clock.monotonicNow() + bounds.endBase +
                                     bounds.endPerCharacter *
                                         static_cast<std::int64_t>(p->second.utterance.text.size());
                if (!std::exchange(p->second.startReported, true) && owner)
                    owner->report(id, SpeechReport::started);
            }
            break;
        case SsipEvent::end:
            hasPlayed = true;
            end(id, SpeechReport::finished);
            break;
        case SsipEvent::cancel:
            cancelled(id);
            break;
        }
    }
    void requestVoices() {
        if (voicesRequested) return;
        voicesRequested = true;
        commands.push_back({Command::Kind::listVoices, {}});
        wake.notify_all();
    }
    void failAll(const char* why) {
        while (!pending.empty())
            end(pending.begin()->first, SpeechReport::failed, why);
    }
    void expireOverdue() {
        if (!pending.empty() && !lost && connection && connection->closed()) {
            lost = true;
            failAll(connectionLost);
        }
        const auto now = clock.monotonicNow();
        std::vector<std::uint64_t> overdue;
        std::vector<std::uint64_t> stalledReadings;
        for (const auto& [id, p] : pending) {
            if (p.deadline && *p.deadline < now) overdue.push_back(id);
            if (p.utterance.kind == UtteranceKind::reading && p.taken && !p.begun &&
                p.unbegunRetries < bounds.unbegunRetries &&
                readingStalled(*p.taken, othersSpoke, now, bounds))
                stalledReadings.push_back(id);
        }
        // Said again, the daemon drops the waiting copy itself (a `text` message replaces the
        // one queued before it), so there is never a second voice; the copy's notices find no
        // utterance.
        for (const auto id : stalledReadings) {
            ++pending.at(id).unbegunRetries;
            sayAgain(id);
        }
        for (const auto id : overdue) {
            const bool begun = pending.at(id).begun;
            // Begun and never ended by a daemon that has played before: something else holds
            // its output, such as a screen reader; a second voice would only speak over it.
            if (begun && hasPlayed)
                end(id, SpeechReport::cancelled);
            else
                end(id, SpeechReport::failed, begun ? notFinished : notAnswered);
        }
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
    void disconnect();
    void listVoices();
    void say(const Utterance& utterance);
};

int SpeechDispatcherSynthesizer::toDaemonScale(float value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0f, 1.0f) * 200.0f - 100.0f));
}

SpeechDispatcherSynthesizer::SpeechDispatcherSynthesizer(SsipConnector connector,
                                                         SpeechDispatcherBounds bounds,
                                                         const Clock& clock)
    : shared_(std::make_shared<Shared>(std::move(connector), bounds, clock)) {
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
    const auto now = shared_->clock.monotonicNow();
    auto& pending = shared_->pending[utterance.id];
    pending.utterance = utterance;
    pending.handedOver = now;
    pending.deadline = now + shared_->bounds.begin;
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
    // One cancel answers a burst of stops.
    if (shared_->commands.empty() || shared_->commands.back().kind != Shared::Command::Kind::stop)
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

std::string SpeechDispatcherSynthesizer::failureReason() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->failure;
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
    disconnect();
    std::lock_guard lock(mutex);
    workerDone = true;
    connectedChanged.notify_all();
}

void SpeechDispatcherSynthesizer::Shared::disconnect() {
    std::shared_ptr<SsipConnection> closing;
    {
        std::lock_guard lock(mutex);
        closing = std::move(connection);
        lost = false;
    }
    rateSet.reset();
    volumeSet.reset();
    voiceSet.reset();
}

bool SpeechDispatcherSynthesizer::Shared::connect() {
    {
        std::unique_lock lock(mutex);
        if (lost) {
            lock.unlock();
            disconnect();
        }
    }
    if (connection) return true;
    std::string error;
    std::shared_ptr<SsipConnection> opened = connector(
        [this](std::size_t messageID, SsipEvent event) {
            std::lock_guard lock(mutex);
            notify(messageID, event);
        },
        error);
    std::lock_guard lock(mutex);
    connection = opened;
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
        if (daemonPriority(utterance.kind) == SsipPriority::notification && othersSpoke &&
            clock.monotonicNow() - *othersSpoke < bounds.quietAfterOthers) {
            end(utterance.id, SpeechReport::cancelled);
            return;
        }
    }
    std::optional<std::size_t> messageID;
    const char* why = notReached;
    if (connect()) {
        if (const int rate = toDaemonScale(utterance.rate); rateSet != rate)
            connection->setRate(*(rateSet = rate));
        if (const int volume = toDaemonScale(utterance.volume); volumeSet != volume)
            connection->setVolume(*(volumeSet = volume));
        // The voice stays on the connection: the default voice has to be asked for again.
        if (voiceSet != utterance.voiceIdentifier) {
            voiceSet = utterance.voiceIdentifier;
            if (voiceSet)
                connection->setVoice(*voiceSet);
            else
                connection->useDefaultVoice();
        }
        messageID = connection->say(utterance.text, daemonPriority(utterance.kind));
        if (!messageID) {
            why = connection->closed() ? connectionLost : notTaken;
            // Start afresh with the next utterance.
            disconnect();
        }
    }
    std::lock_guard lock(mutex);
    if (!messageID) {
        end(utterance.id, SpeechReport::failed, why);
        return;
    }
    const auto found = pending.find(utterance.id);
    if (found == pending.end()) return; // stopped while the daemon was answering
    found->second.messageID = *messageID;
    found->second.taken = clock.monotonicNow();
    if (!found->second.begun) found->second.deadline.reset(); // taken: it waits its turn
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
