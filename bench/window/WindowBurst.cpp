// The running window under a burst: 100,000 messages of the demo mix, one packet per event list,
// delivered by a device thread into a shown monitor window (offscreen, 5000-message buffer) at
// 41,000 messages a second, then as fast as the thread can. For each burst: the time from the
// last delivery to the list holding that message and to the list's next paint, the longest gap of
// the event loop, the peak memory above the idle window, and whether the rows kept are exactly
// the newest 5000. Before them, the longest gap of the idle window's event loop over as long a
// time (what the machine's load alone causes); after them, the CPU time of the idle window.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

#include "DemoBurst.hpp"
#include "app/ContentView.hpp"
#include "audio/SilentSynthesizer.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorController.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/QtMainQueue.hpp"
#include "ui/QtScheduler.hpp"

namespace umbrascope {
namespace {

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Times every event the main thread handles, in the thread's own CPU time: the longest one is the
// window's work alone, without the time the machine's other processes took the core.
class MeasuringApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_ > 0) return QApplication::notify(receiver, event);
        const double start = threadCpuMs();
        ++depth_;
        const bool result = QApplication::notify(receiver, event);
        --depth_;
        longestEventCpuMs = std::max(longestEventCpuMs, threadCpuMs() - start);
        return result;
    }
    double longestEventCpuMs = 0;

private:
    int depth_ = 0;
};

MeasuringApplication& application() {
    return *static_cast<MeasuringApplication*>(QCoreApplication::instance());
}

constexpr std::size_t burstMessages = 100'000;
constexpr std::int64_t bufferLimit = 5000;
constexpr std::int32_t sourceID = 7;
using Clock = std::chrono::steady_clock;

class DeviceService final : public MIDIService {
public:
    std::optional<std::string> displayName(SourceRef) const override { return "Burst"; }
    std::int32_t uniqueID(SourceRef) const override { return sourceID; }
    bool isNativeUMP(SourceRef, std::int32_t) const override { return true; }
    void setReceiveCallback(ReceiveCallback callback) override { receive = std::move(callback); }
    ReceiveCallback receive;
};

// The longest wall-time gap between the ticks of a 1 ms timer on the main thread.
struct GapWatch {
    QElapsedTimer sinceTick;
    QTimer timer;
    double longestMs = 0;

    GapWatch() {
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longestMs = std::max(longestMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
    }
    void start() {
        sinceTick.start();
        timer.start(1);
    }
    void stop() { timer.stop(); }
};

const std::vector<EventList>& burst() {
    static const auto lists = bench::demoBurst(burstMessages);
    return lists;
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

// The shown window with services of its own, as the program builds it, on a device thread.
struct RunningWindow {
    QtMainQueue mainQueue;
    QtScheduler scheduler;
    bench::DiscardingQueue background;
    AudioEngine engine{nullptr};
    DeviceService device;
    ContentView view{ContentViewServices{device,
                                         std::make_unique<SilentSynthesizer>(),
                                         engine,
                                         mainQueue,
                                         scheduler,
                                         background,
                                         SystemClock::instance(),
                                         {}}};
    MonitorWindow window;
    MonitorController controller{view, window};
    std::int64_t delivered = 0;

    RunningWindow() {
        view.midiManager().setEnabledSourceIDs({sourceID});
        view.midiManager().setMaxMessages(bufferLimit);
        window.show();
        settle(500);
    }

    // Runs the event loop, waiting for events as the program does.
    static void settle(int milliseconds) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

struct BurstFigures {
    double seconds = 0;           // first delivery to the last
    double shownMs = 0;           // last delivery to the list holding it
    double paintedMs = 0;         // last delivery to the list's next paint after that
    double longestGapMs = 0;      // of a 1 ms timer on the main thread, during the burst
    double longestEventCpuMs = 0; // the longest event the main thread handled, in CPU time
    double peakAboveIdleMB = 0;
    bool newestKept = false; // the rows are the newest 5000, numbered without a gap
};

// Watches the list for the last message, then for its next paint.
class Arrival final : public QObject {
public:
    Arrival(RunningWindow& w, std::int64_t last) : w_(w), last_(last) {
        connect(&w.window.messageModel(), &MessageListModel::changesApplied, this, [this] {
            const MessageListModel& model = w_.window.messageModel();
            const int rows = model.rowCount();
            if (shown || rows == 0) return;
            const MIDIMessage* newest = model.messageAt(rows - 1);
            if (newest && newest->sequenceNumber == last_) shown = Clock::now();
        });
        w.window.messageList().viewport()->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && shown && !painted) painted = Clock::now();
        return false;
    }
    std::optional<Clock::time_point> shown;
    std::optional<Clock::time_point> painted;

private:
    RunningWindow& w_;
    std::int64_t last_;
};

// `rate` messages a second, or as fast as the device thread can when 0.
BurstFigures runBurst(RunningWindow& w, double rate) {
    const auto& lists = burst();
    const std::int64_t last = w.delivered + static_cast<std::int64_t>(lists.size()) - 1;
    Arrival arrival(w, last);

    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    const long idleKB = statusKilobytes("VmRSS:");

    GapWatch gaps;

    std::atomic<bool> done{false};
    Clock::time_point first;
    Clock::time_point lastDelivery;
    gaps.start();
    application().longestEventCpuMs = 0;
    std::thread device([&] {
        first = Clock::now();
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (rate > 0)
                std::this_thread::sleep_until(
                    first + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(static_cast<double>(i) / rate)));
            w.device.receive(lists[i], SourceRef{1});
        }
        lastDelivery = Clock::now();
        done = true;
    });
    // The 1 ms timer wakes the loop, so it sees the device thread finish.
    while (!done || !arrival.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    device.join();
    gaps.stop();
    w.delivered = last + 1;

    BurstFigures figures;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    figures.seconds = ms(lastDelivery - first) / 1000.0;
    figures.shownMs = ms(*arrival.shown - lastDelivery);
    figures.paintedMs = ms(*arrival.painted - lastDelivery);
    figures.longestGapMs = gaps.longestMs;
    figures.longestEventCpuMs = application().longestEventCpuMs;
    figures.peakAboveIdleMB = static_cast<double>(statusKilobytes("VmHWM:") - idleKB) / 1024.0;
    const MessageListModel& model = w.window.messageModel();
    bool contiguous = model.rowCount() == bufferLimit;
    for (int row = 0; contiguous && row < model.rowCount(); ++row)
        contiguous = model.messageAt(row)->sequenceNumber == last - bufferLimit + 1 + row;
    figures.newestKept = contiguous;
    return figures;
}

RunningWindow& runningWindow() {
    static RunningWindow* w = new RunningWindow; // lives until the process ends
    return *w;
}

void report(benchmark::State& state, const BurstFigures& f) {
    state.SetIterationTime(f.seconds);
    state.counters["shown_ms"] = f.shownMs;
    state.counters["painted_ms"] = f.paintedMs;
    state.counters["longest_gap_ms"] = f.longestGapMs;
    state.counters["longest_event_cpu_ms"] = f.longestEventCpuMs;
    state.counters["peak_above_idle_MB"] = f.peakAboveIdleMB;
    state.counters["newest_5000_kept"] = f.newestKept ? 1 : 0;
    state.counters["msgs_per_s"] = static_cast<double>(burstMessages) / f.seconds;
}

// The burst's 1 ms timer in the idle window, for as long as a burst at 41,000 a second lasts:
// what the machine alone does to the event loop's gaps.
void BM_IdleGapBaseline(benchmark::State& state) {
    runningWindow();
    for (auto _ : state) {
        GapWatch gaps;
        gaps.start();
        application().longestEventCpuMs = 0;
        RunningWindow::settle(2440);
        gaps.stop();
        state.SetIterationTime(2.44);
        state.counters["longest_gap_ms"] = gaps.longestMs;
        state.counters["longest_event_cpu_ms"] = application().longestEventCpuMs;
    }
}
BENCHMARK(BM_IdleGapBaseline)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BurstAt41000PerSecond(benchmark::State& state) {
    for (auto _ : state)
        report(state, runBurst(runningWindow(), 41'000));
}
BENCHMARK(BM_BurstAt41000PerSecond)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BurstAsFastAsPossible(benchmark::State& state) {
    for (auto _ : state)
        report(state, runBurst(runningWindow(), 0));
}
BENCHMARK(BM_BurstAsFastAsPossible)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The window after a burst, once idle: its share of one CPU.
void BM_IdleWindow(benchmark::State& state) {
    RunningWindow& w = runningWindow();
    RunningWindow::settle(3000); // idle after 2 s, then the idle scroll
    constexpr int spanMs = 5000;
    for (auto _ : state) {
        const double before = cpuSeconds();
        RunningWindow::settle(spanMs);
        const double used = cpuSeconds() - before;
        state.SetIterationTime(spanMs / 1000.0);
        state.counters["cpu_percent"] = 100.0 * used / (spanMs / 1000.0);
        state.counters["idle"] = w.view.isIdle() ? 1 : 0;
    }
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace umbrascope

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    umbrascope::MeasuringApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
