#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

// Speech from libespeak-ng, played through our own mixer on one node: stop silences the node at
// once, and the start and finish reports come from the mixer as the audio is actually played.
//
// The library keeps global state and is not thread-safe: all synthesis runs on one worker thread
// and only one instance may exist at a time. speak() and stopSpeaking() only queue work. The
// engine must outlive the synthesizer; it is started on the first utterance.
class EspeakSynthesizer final : public SpeechSynthesizer {
public:
    // None when the library or its data cannot be initialised.
    static std::unique_ptr<EspeakSynthesizer> create(AudioEngine& engine);
    ~EspeakSynthesizer() override;

    void speak(const Utterance& utterance) override;
    void stopSpeaking() override;
    std::vector<Voice> voices() const override { return voices_; }
    bool hasVoice(const std::string& identifier) const override;

    // Words per minute for a rate on the 0..1 scale: 80 at 0, 175 (the library's normal) at the
    // default 0.5, 450 at 1.
    static int wordsPerMinute(float rate);

    // The library's audio callback: worker thread only. Returns 1 to abort the synthesis.
    int handleAudio(const short* wav, int count);

private:
    struct Request {
        Utterance utterance;
        std::uint64_t epoch;
    };
    struct Chunk {
        std::uint64_t utteranceID;
        bool last; // the empty marker after an utterance's audio
        std::vector<float> samples;
    };
    struct Tracked {
        bool started = false;
        double seconds = 0.0;
        std::optional<std::chrono::steady_clock::time_point> deadline;
    };

    EspeakSynthesizer(AudioEngine& engine, std::vector<Voice> voices);

    AudioEngine& engine_;
    const std::vector<Voice> voices_;
    std::optional<Mixer::NodeId> node_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> requests_;
    bool quit_ = false;
    std::atomic<std::uint64_t> stopEpoch_{0};

    // Worker thread only.
    std::uint64_t seenEpoch_ = 0;
    std::uint64_t nextChunkTag_ = 1;
    std::map<std::uint64_t, Chunk> chunks_;
    std::map<std::uint64_t, Tracked> tracked_;
    const Request* synthesizing_ = nullptr;
    float previousSample_ = 0.0f;
    std::thread worker_;

    void run();
    void synthesize(const Request& request);
    bool pushChunk(std::uint64_t utteranceID, bool last, std::vector<float> samples);
    void pumpEvents();
    void expireOverdue();
    void end(std::uint64_t utteranceID, SpeechReport kind);
    bool stale(const Request& request) const { return request.epoch != stopEpoch_.load(); }
};

} // namespace umbrascope
