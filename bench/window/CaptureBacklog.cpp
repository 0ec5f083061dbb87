// The window playing a capture at the size limit (255 MiB of MIDI 2.0 note lines, written here in
// a temporary folder) as the program does: read whole, then played by the capture's own thread as
// fast as the window takes it, into a shown monitor window (offscreen, 500-message buffer). While
// it plays, a key ("i") is posted to the window every 50 ms, the next only once the last was
// answered. Measured: the peak resident memory above the process before the capture was read,
// what is left once it has played, the longest time from posting a key to the window having
// handled it, the messages per second, and whether every line arrived.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/BackgroundQueue.hpp"
#include "app/ContentView.hpp"
#include "audio/SilentSynthesizer.hpp"
#include "platform/SystemMIDI.hpp"
#include "ui/MonitorController.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/QtMainQueue.hpp"
#include "ui/QtScheduler.hpp"

namespace umbrascope {
namespace {

using Clock = std::chrono::steady_clock;

class DiscardingQueue final : public BackgroundQueue {
public:
    void post(std::function<void()>) override {}
};
constexpr std::uint64_t captureBytes = 255ull << 20;
constexpr int keyEveryMs = 50;

// Times the handling of the keys it posts, to the end of their handling.
class KeyTimingApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const bool ours = event->type() == QEvent::KeyPress && posted_;
        const bool result = QApplication::notify(receiver, event);
        if (ours) {
            answersMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - *posted_).count());
            posted_.reset();
        }
        return result;
    }
    // Posts a key unless the last one is still waiting.
    void postKey(QWidget* to) {
        if (posted_) return;
        posted_ = Clock::now();
        QCoreApplication::postEvent(
            to, new QKeyEvent(QEvent::KeyPress, Qt::Key_I, Qt::NoModifier, QStringLiteral("i")));
    }
    std::vector<double> answersMs;

private:
    std::optional<Clock::time_point> posted_;
};

KeyTimingApplication& application() {
    return *static_cast<KeyTimingApplication*>(QCoreApplication::instance());
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}

// Note on and off, one event packet a line, up to the size limit: the lines written.
std::uint64_t writeCapture(const std::filesystem::path& path) {
    static constexpr std::string_view pair = "40903C00 FFFF0000\n40803C00 00000000\n";
    std::string block;
    while (block.size() + pair.size() <= (1u << 20))
        block += pair;
    std::ofstream out(path, std::ios::binary);
    std::uint64_t written = 0;
    while (written + block.size() <= captureBytes) {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        written += block.size();
    }
    while (written + pair.size() <= captureBytes) {
        out << pair;
        written += pair.size();
    }
    return written / pair.size() * 2;
}

// The window and its services as the program builds them, without the system's MIDI.
struct CaptureWindow {
    explicit CaptureWindow(Capture capture)
        : midi([&] {
              platform::MIDIRequest request;
              request.system = false;
              request.capturePace = ReplayPace::asFastAsPossible;
              request.captures.push_back(std::make_shared<const Capture>(std::move(capture)));
              return request;
          }()) {}
    QtMainQueue mainQueue;
    QtScheduler scheduler;
    DiscardingQueue background;
    AudioEngine engine{nullptr};
    platform::MIDIServices midi;
    ContentView view{ContentViewServices{midi.service(),
                                         std::make_unique<SilentSynthesizer>(),
                                         engine,
                                         mainQueue,
                                         scheduler,
                                         background,
                                         SystemClock::instance(),
                                         {}}};
    MonitorWindow window;
    MonitorController controller{view, window};
};

void BM_CaptureAtTheSizeLimit(benchmark::State& state) {
    for (auto _ : state) {
        char folder[] = "/tmp/umbrascope-bench-XXXXXX";
        if (!::mkdtemp(folder)) {
            state.SkipWithError("no temporary folder");
            return;
        }
        const std::filesystem::path file = std::filesystem::path(folder) / "big.ump";
        const std::uint64_t lines = writeCapture(file);

        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
        const long beforeKB = statusKilobytes("VmRSS:");
        const auto loadStart = Clock::now();
        Capture capture = loadCapture(file);
        const double loadSeconds = std::chrono::duration<double>(Clock::now() - loadStart).count();
        std::filesystem::remove_all(folder);

        auto w = std::make_unique<CaptureWindow>(std::move(capture));
        w->window.show();
        QApplication::processEvents(); // the first scan
        QWidget* keys = QApplication::focusWidget() ? QApplication::focusWidget() : &w->window;
        QTimer keyTimer;
        QObject::connect(&keyTimer, &QTimer::timeout, [&] { application().postKey(keys); });
        application().answersMs.clear();
        keyTimer.start(keyEveryMs);
        const auto playStart = Clock::now();
        w->midi.startPlayback();
        const MIDIManager& manager = w->view.midiManager();
        const auto arrivedAll = [&] {
            return !manager.messages().empty() &&
                   manager.messages().back().sequenceNumber == static_cast<std::int64_t>(lines) - 1;
        };
        const auto giveUp = playStart + std::chrono::minutes(10);
        while (!arrivedAll() && Clock::now() < giveUp)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double playSeconds = std::chrono::duration<double>(Clock::now() - playStart).count();
        keyTimer.stop();
        w->midi.stopPlayback();
        QApplication::processEvents();
        const long afterKB = statusKilobytes("VmRSS:");

        state.SetIterationTime(playSeconds);
        state.counters["capture_MiB"] = static_cast<double>(captureBytes) / (1 << 20);
        state.counters["lines"] = static_cast<double>(lines);
        state.counters["load_s"] = loadSeconds;
        state.counters["msgs_per_s"] = static_cast<double>(lines) / playSeconds;
        state.counters["peak_above_start_MB"] =
            static_cast<double>(statusKilobytes("VmHWM:") - beforeKB) / 1024.0;
        state.counters["after_play_above_start_MB"] =
            static_cast<double>(afterKB - beforeKB) / 1024.0;
        auto answers = application().answersMs;
        std::sort(answers.begin(), answers.end());
        const auto at = [&](double share) {
            return answers.empty() ? 0.0
                                   : answers[static_cast<std::size_t>(
                                         share * static_cast<double>(answers.size() - 1))];
        };
        state.counters["key_median_ms"] = at(0.5);
        state.counters["key_p99_ms"] = at(0.99);
        state.counters["longest_key_ms"] = at(1.0);
        state.counters["keys_answered"] = static_cast<double>(answers.size());
        state.counters["overruns"] = static_cast<double>(manager.inputOverruns());
        state.counters["all_arrived"] = arrivedAll() ? 1 : 0;
    }
}
BENCHMARK(BM_CaptureAtTheSizeLimit)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace umbrascope

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    umbrascope::KeyTimingApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
