#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope::testing_support {

using Report = std::pair<std::uint64_t, SpeechReport>;

// What a synthesizer reported, from whichever thread it reports on.
class SpeechReports {
public:
    void listenTo(SpeechSynthesizer& synthesizer) {
        synthesizer.setReportHandler([this](std::uint64_t id, SpeechReport kind) {
            std::lock_guard lock(mutex_);
            seen_.emplace_back(id, kind);
        });
    }

    std::vector<Report> seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    // The reports of one utterance, in order.
    std::vector<SpeechReport> of(std::uint64_t id) const {
        std::vector<SpeechReport> kinds;
        for (const auto& [rid, kind] : seen())
            if (rid == id) kinds.push_back(kind);
        return kinds;
    }
    // How many times the utterance ended: once is right, whatever the way.
    long ends(std::uint64_t id) const {
        const auto kinds = of(id);
        return std::count_if(kinds.begin(), kinds.end(),
                             [](SpeechReport k) { return k != SpeechReport::started; });
    }
    // Waits until `count` reports have arrived (see waitUntil).
    std::vector<Report> waitFor(std::size_t count, const std::function<bool()>& step = {}) const {
        waitUntil([&] { return seen().size() >= count; }, step);
        return seen();
    }

    // Waits, a minute at most, until `done` holds; `step` is called meanwhile and returns false
    // when it did nothing, which then sleeps a moment.
    static bool waitUntil(const std::function<bool()>& done,
                          const std::function<bool()>& step = {}) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            if (!step || !step()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Report> seen_;
};

} // namespace umbrascope::testing_support
