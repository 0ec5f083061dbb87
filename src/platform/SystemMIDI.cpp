#include "platform/SystemMIDI.hpp"

#include <utility>

#include "midi/replay/DemoCapture.hpp"

#ifdef HAVE_UMBRASCOPE_ALSA
#include "midi/alsa/ALSAMIDIService.hpp"
#endif

namespace umbrascope::platform {

std::unique_ptr<MIDIService> makeSystemMIDIService([[maybe_unused]] std::string* problem) {
#ifdef HAVE_UMBRASCOPE_ALSA
    auto alsa = std::make_unique<alsa::ALSAMIDIService>();
    if (alsa->open()) return alsa;
    if (problem != nullptr) *problem = alsa->openProblem();
#endif
    return nullptr;
}

MIDIServices::MIDIServices(MIDIRequest request) : capturePace_(request.capturePace) {
    std::vector<std::unique_ptr<MIDIService>> children;
    if (request.system)
        if (auto system = makeSystemMIDIService(&systemMIDIProblem_)) {
            children.push_back(std::move(system));
            hasSystemMIDI_ = true;
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
    composite_ = std::make_unique<CompositeMIDIService>(std::move(children));
}

MIDIServices::~MIDIServices() {
    stopPlayback();
}

void MIDIServices::startPlayback() {
    if (captures_) {
        PlaybackOptions once{capturePace_, false};
        once.releasePlayed = true;
        captures_->startPlaying(once, sleeper_);
    }
    if (demo_) demo_->startPlaying({ReplayPace::recorded, true}, sleeper_);
}

void MIDIServices::stopPlayback() {
    if (captures_) captures_->stopPlaying();
    if (demo_) demo_->stopPlaying();
    opened_->stopPlaying();
}

SourceRef MIDIServices::addOpened(std::shared_ptr<const Capture> capture) {
    return opened_->addSource(std::move(capture));
}

void MIDIServices::playOpened(SourceRef source, ReplayPace pace) {
    opened_->startPlayingSource(source, pace, true, sleeper_);
}

} // namespace umbrascope::platform
