// The monitor in a terminal under a flood: 100,000 messages, one event list each, through the
// store, the window's view and the terminal's text, written to a pipe (lines, JSON) or to a
// pseudo-terminal (the screen) that another thread reads. The main loop would take the lists of
// a round together; here a round is 64 lists. Reports messages per second and how much the
// process's peak resident size grew (run one mode per process for a figure above idle). The
// rate is of the benchmark thread's CPU time: the reader of the pipe is another program's work,
// and on a shared machine the wall time says more about the neighbours.
#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include "audio/AudioEngine.hpp"
#include "audio/SilentSynthesizer.hpp"
#include "core/MainQueue.hpp"
#include "core/ManualScheduler.hpp"
#include "midi/EventList.hpp"
#include "midi/MIDIService.hpp"
#include "terminal/TerminalMonitor.hpp"

namespace umbrascope::terminal {
namespace {

constexpr std::int64_t messageCount = 100'000;
constexpr std::int64_t listsPerRound = 64;

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One source whose lists the benchmark delivers on its own thread.
class FloodService final : public MIDIService {
public:
    ClientRef createClient(const std::string&, NotificationCallback) override { return 1; }
    PortRef createInputPort(ClientRef, const std::string&, MIDIProtocol) override { return 1; }
    std::vector<SourceRef> sources() const override { return {SourceRef{1}}; }
    std::optional<std::string> displayName(SourceRef) const override { return "Flood"; }
    std::int32_t uniqueID(SourceRef) const override { return 7; }
    bool isNativeUMP(SourceRef, std::int32_t) const override { return true; }
    void setReceiveCallback(ReceiveCallback callback) override { receiver_ = std::move(callback); }
    void deliver(const EventList& list) { receiver_(list, SourceRef{1}); }

private:
    ReceiveCallback receiver_;
};

class ImmediateQueue final : public BackgroundQueue {
public:
    void post(std::function<void()> task) override { task(); }
};

// Reads and drops everything written to `fd` until closed.
class Drain {
public:
    explicit Drain(int fd)
        : thread_([fd] {
              char buffer[65536];
              while (::read(fd, buffer, sizeof buffer) > 0) {
              }
          }) {}
    ~Drain() { thread_.join(); }

private:
    std::thread thread_;
};

void writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto n = ::write(fd, text.data(), text.size());
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

void TerminalFlood(benchmark::State& state) {
    const auto mode = static_cast<DisplayMode>(state.range(0));
    int readEnd = -1, writeEnd = -1;
    if (mode == DisplayMode::screen) {
        if (::openpty(&readEnd, &writeEnd, nullptr, nullptr, nullptr) != 0)
            return state.SkipWithError("no pseudo-terminal");
    } else {
        int fds[2];
        if (::pipe(fds) != 0) return state.SkipWithError("no pipe");
        readEnd = fds[0];
        writeEnd = fds[1];
    }
    std::optional<Drain> drain(std::in_place, readEnd);
    const long before = peakResidentKilobytes();
    for (auto _ : state) {
        const Clock& clock = SystemClock::instance();
        FloodService service;
        ManualQueue queue;
        ManualScheduler scheduler(clock);
        ImmediateQueue background;
        AudioEngine engine(nullptr);
        TerminalMonitor monitor(ContentViewServices{service,
                                                    std::make_unique<SilentSynthesizer>(),
                                                    engine,
                                                    queue,
                                                    scheduler,
                                                    background,
                                                    clock,
                                                    {}},
                                {mode, true});
        monitor.resize({50, 120});
        queue.drain();
        std::string out, notes;
        for (std::int64_t i = 0; i < messageCount; ++i) {
            EventList list;
            const std::uint32_t words[] = {0x40903C00U | static_cast<std::uint32_t>(i % 128) << 8,
                                           0xFFFF0000U};
            list.add(words);
            service.deliver(list);
            if (i % listsPerRound == listsPerRound - 1 || i + 1 == messageCount) {
                queue.drain();
                scheduler.runDue();
                out.clear();
                notes.clear();
                monitor.takeOutput(out, notes);
                writeAll(writeEnd, out);
            }
        }
    }
    state.counters["msg_per_s"] = benchmark::Counter(static_cast<double>(messageCount) *
                                                         static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
    state.counters["peak_growth_MB"] =
        static_cast<double>(peakResidentKilobytes() - before) / 1024.0;
    ::close(writeEnd);
    drain.reset();
    ::close(readEnd);
}

BENCHMARK(TerminalFlood)
    ->Arg(static_cast<int>(DisplayMode::lines))
    ->Arg(static_cast<int>(DisplayMode::json))
    ->Arg(static_cast<int>(DisplayMode::screen))
    ->ArgName("mode")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace umbrascope::terminal
