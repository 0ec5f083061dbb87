#include "audio/espeak/EspeakSynthesizer.hpp"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace umbrascope {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int bufferMilliseconds = 40;
// Reports must not wait for a device that stopped pulling: an utterance is given up this long
// after its audio should have ended.
constexpr double overdueSeconds = 5.0;

// The one instance the library's global callback talks to.
std::atomic<EspeakSynthesizer*> active{nullptr};

int onSynthesized(short* wav, int count, espeak_EVENT*) {
    auto* self = active.load();
    return self ? self->handleAudio(wav, count) : 1;
}

std::vector<Voice> listVoices() {
    std::vector<Voice> voices;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (; list && *list; ++list) {
        const espeak_VOICE* voice = *list;
        if (!voice->identifier || !voice->name) continue;
        // `languages` is a run of (priority byte, name) pairs; the first is the main language.
        const char* language = voice->languages && voice->languages[0] ? voice->languages + 1 : "";
        voices.push_back({voice->identifier, voice->name, language});
    }
    return voices;
}

} // namespace

std::unique_ptr<EspeakSynthesizer> EspeakSynthesizer::create(AudioEngine& engine) {
    // Initialised once per process and never terminated: espeak-ng 1.51 hangs in
    // espeak_Terminate after a second initialisation.
    static const int sampleRate = [] {
        // The library starts a thread of its own and aborts when it cannot: a thread that cannot
        // be had is told here instead, as std::system_error.
        std::thread([] {}).join();
        // DONT_EXIT: without it the library ends the process when its data is missing.
        const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, bufferMilliseconds, nullptr,
                                           espeakINITIALIZE_DONT_EXIT);
        if (rate > 0) espeak_SetSynthCallback(onSynthesized);
        return rate;
    }();
    if (sampleRate != 22050 || active.load()) return nullptr;
    static const std::vector<Voice> voices = listVoices();
    return std::unique_ptr<EspeakSynthesizer>(new EspeakSynthesizer(engine, voices));
}

EspeakSynthesizer::EspeakSynthesizer(AudioEngine& engine, std::vector<Voice> voices)
    : engine_(engine), voices_(std::move(voices)) {
    // Throws std::system_error when no thread can be started; the library is then left free.
    worker_ = std::thread([this] { run(); });
    active = this;
}

EspeakSynthesizer::~EspeakSynthesizer() {
    stopSpeaking();
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    worker_.join();
    active = nullptr;
}

int EspeakSynthesizer::wordsPerMinute(float rate) {
    const double r = std::clamp(static_cast<double>(rate), 0.0, 1.0);
    const double wpm =
        r <= 0.5 ? 80.0 + (r / 0.5) * (175.0 - 80.0) : 175.0 + ((r - 0.5) / 0.5) * (450.0 - 175.0);
    return static_cast<int>(std::lround(wpm));
}

bool EspeakSynthesizer::hasVoice(const std::string& identifier) const {
    return std::any_of(voices_.begin(), voices_.end(),
                       [&](const Voice& voice) { return voice.identifier == identifier; });
}

void EspeakSynthesizer::speak(const Utterance& utterance) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back({utterance, stopEpoch_.load()});
    }
    wake_.notify_all();
}

void EspeakSynthesizer::stopSpeaking() {
    {
        std::lock_guard lock(mutex_);
        ++stopEpoch_;
        // Silence at once; the worker drops the rest when it sees the new epoch.
        if (node_) engine_.mixer().stop(*node_);
    }
    wake_.notify_all();
}

void EspeakSynthesizer::run() {
    for (;;) {
        std::optional<Request> request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(5),
                           [this] { return quit_ || !requests_.empty(); });
            if (quit_) break;
            if (!requests_.empty()) {
                request = std::move(requests_.front());
                requests_.pop_front();
            }
        }
        pumpEvents();
        expireOverdue();
        if (request) synthesize(*request);
    }
    // Every utterance handed over gets its end, also at shutdown.
    std::deque<Request> left;
    {
        std::lock_guard lock(mutex_);
        left.swap(requests_);
    }
    for (const auto& request : left)
        report(request.utterance.id, SpeechReport::cancelled);
    if (node_) engine_.mixer().stop(*node_);
    for (const auto& [id, tracked] : tracked_)
        report(id, SpeechReport::cancelled);
}

void EspeakSynthesizer::synthesize(const Request& request) {
    const auto id = request.utterance.id;
    if (stale(request)) {
        report(id, SpeechReport::cancelled);
        return;
    }
    if (!node_) {
        std::lock_guard lock(mutex_);
        node_ = engine_.mixer().createNode();
    }
    if (!node_) {
        report(id, SpeechReport::cancelled);
        return;
    }
    if (!engine_.isRunning()) engine_.start();
    if (seenEpoch_ != request.epoch) {
        // A stop between the last utterance and this one may have missed chunks queued after it.
        engine_.mixer().stop(*node_);
        seenEpoch_ = request.epoch;
    }
    tracked_[id] = {};

    const auto& voice = request.utterance.voiceIdentifier;
    if (!voice || espeak_SetVoiceByFile(voice->c_str()) != EE_OK) espeak_SetVoiceByName("en");
    espeak_SetParameter(espeakRATE, wordsPerMinute(request.utterance.rate), 0);
    previousSample_ = 0.0f;
    synthesizing_ = &request;
    const auto& text = request.utterance.text;
    const auto result = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                     espeakCHARS_UTF8, nullptr, nullptr);
    synthesizing_ = nullptr;

    if (result != EE_OK || stale(request) || !pushChunk(id, true, {})) {
        end(id, SpeechReport::cancelled);
        return;
    }
    if (auto found = tracked_.find(id); found != tracked_.end())
        found->second.deadline =
            SteadyClock::now() +
            std::chrono::duration_cast<SteadyClock::duration>(
                std::chrono::duration<double>(found->second.seconds + overdueSeconds));
}

int EspeakSynthesizer::handleAudio(const short* wav, int count) {
    const Request* request = synthesizing_;
    if (!request || stale(*request)) return 1;
    if (!wav || count <= 0) return 0;
    // 22050 Hz to the mixer's 44100 Hz: every input sample and the midpoint before it.
    std::vector<float> samples(static_cast<std::size_t>(count) * 2);
    const float gain = std::clamp(request->utterance.volume, 0.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        const float sample = static_cast<float>(wav[i]) / 32768.0f * gain;
        samples[2 * static_cast<std::size_t>(i)] = (previousSample_ + sample) * 0.5f;
        samples[2 * static_cast<std::size_t>(i) + 1] = sample;
        previousSample_ = sample;
    }
    if (auto found = tracked_.find(request->utterance.id); found != tracked_.end())
        found->second.seconds += count / 22050.0;
    return pushChunk(request->utterance.id, false, std::move(samples)) ? 0 : 1;
}

bool EspeakSynthesizer::pushChunk(std::uint64_t utteranceID, bool last,
                                  std::vector<float> samples) {
    const auto tag = nextChunkTag_++;
    auto& chunk = chunks_[tag] = Chunk{utteranceID, last, std::move(samples)};
    const BufferRef buffer{chunk.samples.data(), static_cast<std::uint32_t>(chunk.samples.size()),
                           1.0f, tag};
    // A full queue means we are far ahead of playback: wait for it, unless stopped meanwhile.
    while (!engine_.mixer().enqueue(*node_, buffer)) {
        pumpEvents();
        if (synthesizing_ && stale(*synthesizing_)) {
            chunks_.erase(tag);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void EspeakSynthesizer::pumpEvents() {
    if (!node_) return;
    MixerEvent event;
    while (engine_.mixer().nextEvent(*node_, event)) {
        const auto found = chunks_.find(event.tag);
        if (found == chunks_.end()) continue;
        const auto id = found->second.utteranceID;
        const bool last = found->second.last;
        switch (event.kind) {
        case MixerEvent::Kind::started:
            if (auto t = tracked_.find(id); t != tracked_.end() && !t->second.started) {
                t->second.started = true;
                report(id, SpeechReport::started);
            }
            break;
        case MixerEvent::Kind::finished:
            chunks_.erase(found);
            if (last) end(id, SpeechReport::finished);
            break;
        case MixerEvent::Kind::dropped:
            chunks_.erase(found);
            end(id, SpeechReport::cancelled);
            break;
        }
    }
}

void EspeakSynthesizer::expireOverdue() {
    const auto now = SteadyClock::now();
    for (auto it = tracked_.begin(); it != tracked_.end();) {
        const auto id = it->first;
        const bool overdue = it->second.deadline && *it->second.deadline < now;
        ++it;
        if (overdue) end(id, SpeechReport::cancelled);
    }
}

void EspeakSynthesizer::end(std::uint64_t utteranceID, SpeechReport kind) {
    // Exactly one end per utterance: the first one wins.
    if (tracked_.erase(utteranceID) == 1) report(utteranceID, kind);
}

} // namespace umbrascope
