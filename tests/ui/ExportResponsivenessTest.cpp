#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "UiTestSupport.hpp"
#include "app/ContentView.hpp"
#include "support/FakeMidiService.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "ui/QtMainQueue.hpp"
#include "ui/QtScheduler.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using test::waitFor;
using testing_support::FakeMidiService;
using testing_support::FakeSpeechSynthesizer;

// Runs tasks on a worker thread, each only once the gate is open, so that a test knows that
// the main thread handed the work over without doing or awaiting it; notes where and how long
// the last one ran.
class GatedWorker final : public BackgroundQueue {
public:
    struct Run {
        std::thread::id thread;
        std::chrono::nanoseconds took;
    };

    ~GatedWorker() override { open(); }

    void post(std::function<void()> task) override {
        worker_.post([this, task = std::move(task)] {
            std::unique_lock lock(mutex_);
            opened_.wait(lock, [this] { return open_; });
            lock.unlock();
            const auto start = std::chrono::steady_clock::now();
            task();
            lock.lock();
            last_ = Run{std::this_thread::get_id(), std::chrono::steady_clock::now() - start};
        });
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::optional<Run> last() const {
        std::lock_guard lock(mutex_);
        return last_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
    std::optional<Run> last_;
    WorkerThreadQueue worker_; // last: its thread uses the members above
};

std::chrono::nanoseconds threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// The longest time the main thread went without running its 5 ms timer, both as time spent
// working (what the code under test controls) and as wall time (which a loaded machine adds to).
struct StallMeter {
    QTimer timer;
    std::chrono::nanoseconds lastCpu{};
    std::chrono::steady_clock::time_point lastWall;
    std::chrono::nanoseconds longestCpu{};
    std::chrono::nanoseconds longestWall{};
    int ticks = 0;

    StallMeter() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            sample();
            ++ticks;
        });
    }
    void start() {
        lastCpu = threadCpuTime();
        lastWall = std::chrono::steady_clock::now();
        timer.start();
    }
    // The span since the last tick counts too.
    void stop() {
        timer.stop();
        sample();
    }

private:
    void sample() {
        const auto cpu = threadCpuTime();
        const auto wall = std::chrono::steady_clock::now();
        longestCpu = std::max(longestCpu, cpu - lastCpu);
        longestWall = std::max(longestWall, std::chrono::nanoseconds(wall - lastWall));
        lastCpu = cpu;
        lastWall = wall;
    }
};

double ms(std::chrono::nanoseconds span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

TEST(ExportResponsiveness, FiveThousandMessagesAreWrittenWhileTheWindowKeepsRunning) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::filesystem::path out =
        std::filesystem::path(folder.path().toStdString()) / "all.csv";

    QtMainQueue mainQueue;
    QtScheduler scheduler;
    GatedWorker background;
    FakeMidiService service;
    const SourceRef keys = service.addSource({"Keys", 1, true});
    AudioEngine engine{nullptr};
    auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    std::vector<ExportLocationAnswer> asks;
    ContentView view(ContentViewServices{
        service, std::make_unique<FakeSpeechSynthesizer>(log), engine, mainQueue, scheduler,
        background, SystemClock::instance(),
        [&](ExportLocationAnswer answer) { asks.push_back(std::move(answer)); }});
    view.midiManager().setEnabledSourceIDs({1});
    view.midiManager().setMaxMessages(5000);
    for (int batch = 0; batch < 50; ++batch) {
        EventList list;
        for (std::uint32_t i = 0; i < 100; ++i)
            list.add({0x40900000u | ((i % 128) << 8), 0x80000000u});
        service.deliver(list, keys);
    }
    ASSERT_TRUE(waitFor([&] { return view.midiManager().messages().size() == 5000; }));
    view.setTTSLevel(TTSLevel::short_);
    view.requestExport();
    ASSERT_EQ(asks.size(), 1u);

    StallMeter meter;
    meter.start();
    asks.front()(out); // the save dialog's answer: the buffer is copied and handed over
    EXPECT_FALSE(std::filesystem::exists(out)) << "the main thread wrote the file itself";
    background.open();
    const auto spokeResult = [&] {
        const auto texts = log->spokenTexts();
        return !texts.empty() && texts.back() == "Exported 5000 Messages";
    };
    ASSERT_TRUE(waitFor(spokeResult, 120000));
    meter.stop();

    ASSERT_TRUE(waitFor([&] { return background.last().has_value(); }));
    const GatedWorker::Run run = *background.last();
    EXPECT_NE(run.thread, std::this_thread::get_id());
    std::ifstream file(out);
    std::size_t lines = 0;
    for (std::string line; std::getline(file, line);)
        ++lines;
    EXPECT_EQ(lines, 5001u);

    std::cout << "export " << ms(run.took) << " ms on the worker; main thread: " << meter.ticks
              << " ticks, longest gap " << ms(meter.longestCpu) << " ms working, "
              << ms(meter.longestWall) << " ms wall\n";
    EXPECT_LT(meter.longestCpu, 16ms) << "a stall the export caused on the main thread";
}

} // namespace
} // namespace umbrascope
