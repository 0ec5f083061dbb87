#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "audio/SpeechSynthesizer.hpp"
#include "audio/speechd/LibspeechdConnection.hpp"
#include "audio/speechd/SsipConnection.hpp"
#include "core/Clock.hpp"

namespace umbrascope {

// How long the daemon is given before an utterance counts as failed: to take it once handed over,
// and to end it once begun (a base and a time per character, generous at the slowest rate). A
// daemon without an audio output begins every utterance and never ends one. Waiting to begin is
// no failure: the daemon plays another client's speech (a screen reader's) first.
struct SpeechDispatcherBounds {
    std::chrono::milliseconds begin{10000};
    std::chrono::milliseconds endBase{4000};
    std::chrono::milliseconds endPerCharacter{200};
    // A begun reading that another client cuts off this soon after it was handed over was cut
    // by the screen reader's echo of the key that asked for it: it is said once more.
    std::chrono::milliseconds echo{1000};
    // An announcement or a heading is not begun this soon after another client cut one of ours
    // off: the screen reader's next words (the reading after its key echo) would have to stop
    // it first.
    std::chrono::milliseconds quietAfterOthers{1000};
    // A reading the daemon took and has not begun this long, while no other client has cut one
    // of ours in that time, is handed over again: a daemon with nothing else to say has lost it.
    std::chrono::milliseconds stalled{3000};
    // How often one reading is handed over again because it never began: the daemon dropped it
    // from its queue for another client's speech, or held it while quiet.
    int unbegunRetries = 3;
};

// The daemon's priority for each kind of utterance, beside a screen reader that speaks at
// `message`: a confirmation goes first (`important`), a reading waits for the screen reader and
// gives way to it (`text`), an announcement or a sheet's heading is said only when nothing else
// is (`notification`), so the screen reader's own reading of the sheet is never held back.
// A `text` message still queued when a `message` one arrives is dropped with no more than a
// cancel notice (and the daemon's log says nothing of it): a reading that never began is handed
// over again, behind the speech that dropped it.
SsipPriority daemonPriority(UtteranceKind kind);

// Whether a reading the daemon took at `taken` and has not begun has waited in vain by `now`:
// `othersSpoke` is when another client last cut one of ours, the one sign of its speech we get.
bool readingStalled(MonoTime taken, std::optional<MonoTime> othersSpoke, MonoTime now,
                    const SpeechDispatcherBounds& bounds);

// Speech through the desktop's speech-dispatcher daemon, so the monitor speaks with the voices the
// user already has. It connects to a running daemon and never starts one (see
// LibspeechdConnection.hpp).
//
// Every SSIP call runs on the backend's own worker thread, because a call can block for a long
// time, or for ever with a daemon that hangs. Begin, end and cancel notifications arrive on the
// connection's thread and are matched to utterances by message id. An utterance that does not
// begin, or does not end, within its bounds is reported failed by a watchdog thread, also while
// the worker is blocked; so is every utterance under way once the daemon closes the connection.
// Stop cancels only our own connection's messages: the user's screen reader shares the daemon.
// One instance at a time; `clock`, which times the bounds, outlives it.
class SpeechDispatcherSynthesizer final : public SpeechSynthesizer {
public:
    explicit SpeechDispatcherSynthesizer(SsipConnector connector = openLibspeechdConnection,
                                         SpeechDispatcherBounds bounds = {},
                                         const Clock& clock = SystemClock::instance());
    ~SpeechDispatcherSynthesizer() override;

    void speak(const Utterance& utterance) override;
    void stopSpeaking() override;
    // The voices known so far: empty until the list has been fetched, which this starts.
    std::vector<Voice> voices() const override;
    bool hasVoice(const std::string& identifier) const override;

    // Waits (bounded) for the first connection attempt; true when the daemon answered. For the
    // command line and tests only: the monitor never waits.
    bool waitUntilConnected(std::chrono::milliseconds timeout);

    // Asks for the voice list (voices() also does) and waits (bounded) until it is there. The
    // daemon's list can hold thousands of voices, so it is fetched only when wanted.
    bool loadVoices(std::chrono::milliseconds timeout);

    // Why the last connection attempt failed; empty after a success.
    std::string connectionError() const;
    std::string failureReason() const override;

    // The daemon's -100..100 scale for our 0..1 rate and volume.
    static int toDaemonScale(float value);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace umbrascope
