#include "platform/SystemMidi.hpp"

#include <utility>

#include "midi/replay/DemoCapture.hpp"

#ifdef HAVE_UMBRASCOPE_ALSA
#include "midi/alsa/AlsaMidiService.hpp"
#endif

namespace umbrascope::platform {

std::unique_ptr<MidiService> makeSystemMidiService([[maybe_unused]] std::string* problem) {
#ifdef HAVE_UMBRASCOPE_ALSA
    auto alsa = std::make_unique<alsa::AlsaMidiService>();
    if (alsa->open()) return alsa;
    if (problem != nullptr) *problem = alsa->openProblem();
#endif
    return nullptr;
}

MidiServices::MidiServices(MidiRequest request) : capturePace_(request.capturePace) {
    std::vector<std::unique_ptr<MidiService>> children;
    if (request.system)
        if (auto system = makeSystemMidiService(&systemMidiProblem_)) {
            children.push_back(std::move(system));
            hasSystemMidi_ = true;
        }
    if (!request.captures.empty()) {
        auto captures = std::make_unique<ReplayService>();
        for (auto& capture : request.captures)
            captures->addSource(std::move(capture));
        captures_ = captures.get();
        children.push_back(std::move(captures));
    }
    if (request.demo) {
        auto demo = std::make_unique<ReplayService>();
        demo->addSource(demoCapture());
        demo_ = demo.get();
        children.push_back(std::move(demo));
    }
    auto opened = std::make_unique<ReplayService>();
    opened_ = opened.get();
    children.push_back(std::move(opened));
    composite_ = std::make_unique<CompositeMidiService>(std::move(children));
}

MidiServices::~MidiServices() {
    stopPlayback();
}

void MidiServices::startPlayback() {
    if (captures_) {
        PlaybackOptions once{capturePace_, false};
        once.releasePlayed = true;
        captures_->startPlaying(once, sleeper_);
    }
    if (demo_) demo_->startPlaying({ReplayPace::recorded, true}, sleeper_);
}

void MidiServices::stopPlayback() {
    if (captures_) captures_->stopPlaying();
    if (demo_) demo_->stopPlaying();
    opened_->stopPlaying();
}

SourceRef MidiServices::addOpened(std::shared_ptr<const Capture> capture) {
    return opened_->addSource(std::move(capture));
}

void MidiServices::playOpened(SourceRef source, ReplayPace pace) {
    opened_->startPlayingSource(source, pace, true, sleeper_);
}

} // namespace umbrascope::platform
