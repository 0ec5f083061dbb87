#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/CompositeMIDIService.hpp"
#include "midi/MIDIService.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/ReplayService.hpp"
#include "midi/replay/Sleeper.hpp"

namespace umbrascope::platform {

// The MIDI input a front end asks for.
struct MIDIRequest {
    // The system's MIDI service (the ALSA sequencer), where it was built and a sequencer opens;
    // otherwise left out without a word.
    bool system = true;
    // Capture files, each one source, played one after another from startPlayback. Shared, since
    // every window plays them; each window lets go of a capture once it has played it.
    std::vector<std::shared_ptr<const Capture>> captures;
    ReplayPace capturePace = ReplayPace::recorded;
    // The built-in "Demo" source, looping at its recorded pace from startPlayback.
    bool demo = false;
};

// The MIDI services of one monitor, combined into the one service that its MIDIManager is given:
// the system's sources first, then the capture files, then the Demo, then the files opened later.
//
// Threads: main thread. Create the MIDIManager on service(), then startPlayback once its first
// scan is published (after the main queue has run once), so no early line meets a source that is
// not enabled yet. Destroy the manager first; destruction stops the playback threads.
class MIDIServices {
public:
    explicit MIDIServices(MIDIRequest request);
    ~MIDIServices();
    MIDIServices(const MIDIServices&) = delete;
    MIDIServices& operator=(const MIDIServices&) = delete;

    MIDIService& service() { return *composite_; }
    bool hasSystemMIDI() const { return hasSystemMIDI_; }
    // Why the system's MIDI service was asked for and did not open, in one line that names the
    // cause and the fix (lower case first, to follow a program's name); empty when it opened or
    // was not asked for.
    const std::string& systemMIDIProblem() const { return systemMIDIProblem_; }

    // Starts the capture and demo threads; stopPlayback stops them, and those of the opened
    // files, and waits for them.
    void startPlayback();
    void stopPlayback();

    // A capture file opened while the monitor runs: listed at once, played from playOpened on
    // (once the store has enabled it), and let go of once played. The reference is the opened
    // files' own, for playOpened only.
    SourceRef addOpened(std::shared_ptr<const Capture> capture);
    void playOpened(SourceRef source, ReplayPace pace);

private:
    SystemSleeper sleeper_; // outlives the services that wait on it
    std::unique_ptr<CompositeMIDIService> composite_;
    bool hasSystemMIDI_ = false;
    std::string systemMIDIProblem_;
    ReplayPace capturePace_;
    ReplayService* captures_ = nullptr; // owned by composite_
    ReplayService* demo_ = nullptr;     // owned by composite_
    ReplayService* opened_ = nullptr;   // owned by composite_
};

// The system's MIDI service alone: the ALSA sequencer where it was built and a sequencer opens,
// otherwise nothing, with the reason in `problem` when one is given and a sequencer did not open.
std::unique_ptr<MIDIService> makeSystemMIDIService(std::string* problem = nullptr);

} // namespace umbrascope::platform
