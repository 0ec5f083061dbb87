// The monitor against a real kernel sequencer: VirMIDI raw MIDI devices written to as a keyboard
// would, read back through ALSAMIDIService and MIDIManager. Skips without /dev/snd/seq and
// VirMIDI devices; the cases that reload kernel modules, flood a port or open a window on the
// display run only where UMBRASCOPE_KERNEL_GUEST is set (the throwaway machine of
// scripts/test-kernel-sequencer).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/MIDI1StreamTranslator.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/alsa/ALSAMIDIService.hpp"
#include "midi/alsa/ALSASequencer.hpp"
#include "support/SteppedQueue.hpp"

extern char** environ;

namespace umbrascope::alsa {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::drainUntil;
using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint32_t>;

// One VirMIDI raw MIDI device: its node and the name its sequencer port is listed under.
struct VirMIDI {
    fs::path node;
    std::string portName; // "VirMIDI C-D"
};

std::vector<VirMIDI> virMIDIDevices() {
    std::vector<VirMIDI> found;
    if (!fs::exists("/proc/asound")) return found;
    for (const auto& entry : fs::directory_iterator("/dev/snd")) {
        int card = 0;
        int device = 0;
        const std::string name = entry.path().filename();
        if (std::sscanf(name.c_str(), "midiC%dD%d", &card, &device) != 2) continue;
        std::ifstream id("/proc/asound/card" + std::to_string(card) + "/id");
        std::string cardID;
        if (!(id >> cardID) || cardID.rfind("VirMIDI", 0) != 0) continue;
        found.push_back(
            {entry.path(), "VirMIDI " + std::to_string(card) + "-" + std::to_string(device)});
    }
    std::sort(found.begin(), found.end(),
              [](const VirMIDI& a, const VirMIDI& b) { return a.portName < b.portName; });
    return found;
}

// A plain blocking write of every byte, as a program sending to the port would.
void writeBytes(const fs::path& node, const Bytes& bytes) {
    const int fd = ::open(node.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0) << node;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n =
            ::write(fd, bytes.data() + done, std::min<std::size_t>(bytes.size() - done, 4096));
        if (n < 0 && errno == EINTR) continue;
        ASSERT_GT(n, 0) << node;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

// The MIDI 1.0 protocol's Note On for the flood's n-th message.
std::uint32_t floodNote(std::size_t n) {
    return static_cast<std::uint32_t>(0x20900000u | (n % 128) << 8 | (1 + n % 127));
}

Words translate(const Bytes& bytes, MIDIProtocol protocol) {
    MIDI1StreamTranslator translator(protocol);
    Words words;
    translator.translate(bytes, words);
    return words;
}

// A program's exit status and standard output and error.
struct Ran {
    int status = -1;
    std::string output;
};
Ran run(const std::string& command) {
    Ran ran;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return ran;
    char buffer[512];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        ran.output.append(buffer, n);
    const int status = ::pclose(pipe);
    ran.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ran;
}

// A subscribed VirMIDI port holds its module: the card is unbound first, as an unplugged device
// would be, and then the module goes.
constexpr const char* unplugVirMIDI =
    "cd /sys/bus/platform/drivers/snd_virmidi && for card in snd_virmidi.*; do "
    "echo $card >unbind; done && modprobe -r snd-virmidi";

// Module reloading, floods and a window on the display: only where nobody else is affected.
bool inThrowawayMachine() {
    return std::getenv("UMBRASCOPE_KERNEL_GUEST") != nullptr;
}

// The monitor as the window has it, with every message it appends collected per source (the
// buffer itself keeps only the newest 500).
struct Monitor {
    ALSAMIDIService service;
    ManualQueue queue;
    MIDIManager manager{service, queue};
    std::map<std::int32_t, Words> words;
    std::map<std::int32_t, std::size_t> counts; // exact, also for messages trimmed at once
    ObserverList<const MessagesChange&>::Subscription watch;

    Monitor() {
        watch = manager.messageChanges().subscribe([this](const MessagesChange& change) {
            const auto& messages = manager.messages();
            const std::size_t fresh = std::min(change.appended, messages.size());
            for (auto it = messages.end() - static_cast<std::ptrdiff_t>(fresh);
                 it != messages.end(); ++it) {
                auto& into = words[it->sourceID];
                into.insert(into.end(), it->words.begin(), it->words.end());
            }
            // One source at a time here: a batch is one source's.
            if (change.appended > 0) counts[messages.back().sourceID] += change.appended;
        });
        // Room for a 4 KB SysEx; a longer batch keeps only its newest messages' words.
        manager.setMaxMessages(5000);
        queue.drain();
    }
    std::optional<MIDISourceInfo> source(std::string_view nameContains) const {
        for (const auto& source : manager.availableSources())
            if (source.name.find(nameContains) != std::string::npos) return source;
        return std::nullopt;
    }
    bool lists(std::string_view nameContains) const { return source(nameContains).has_value(); }
};

#define SKIP_WITHOUT_VIRMIDI()                                                                     \
    if (!fs::exists("/dev/snd/seq")) GTEST_SKIP() << "no /dev/snd/seq";                            \
    if (virMIDIDevices().empty()) GTEST_SKIP() << "no VirMIDI devices (modprobe snd-virmidi)"

TEST(KernelSequencer, ListsMIDIThroughAndEveryVirMIDIPortWithIdsThatSurviveARescan) {
    SKIP_WITHOUT_VIRMIDI();
    Monitor m;
    const auto devices = virMIDIDevices();
    ASSERT_TRUE(drainUntil(m.queue, [&] {
        return std::all_of(devices.begin(), devices.end(),
                           [&](const VirMIDI& d) { return m.lists(d.portName); });
    })) << "every VirMIDI port listed";
    EXPECT_TRUE(m.lists("Midi Through"));
    const auto before = m.manager.availableSources();
    std::set<std::int32_t> ids;
    for (const auto& source : before) {
        EXPECT_NE(source.id, 0) << source.name;
        ids.insert(source.id);
        EXPECT_TRUE(m.manager.enabledSourceIDs().contains(source.id)) << source.name;
    }
    EXPECT_EQ(ids.size(), before.size()) << "ids are distinct";
    m.manager.refreshSources();
    m.queue.drain();
    EXPECT_EQ(m.manager.availableSources(), before);
}

TEST(KernelSequencer, EveryMessageArrivesOnceInOrderAsTranslatedAtBothProtocols) {
    SKIP_WITHOUT_VIRMIDI();
    Bytes sysEx4k{0xF0};
    for (int i = 0; i < 4094; ++i)
        sysEx4k.push_back(static_cast<std::uint8_t>(i % 128));
    sysEx4k.push_back(0xF7);
    const struct {
        const char* name;
        Bytes bytes;
    } kinds[] = {
        {"noteOnOff", {0x90, 0x3C, 0x64, 0x80, 0x3C, 0x40}},
        {"runningStatus", {0x91, 0x3E, 0x50, 0x40, 0x30, 0x3E, 0x00}},
        {"controlChange", {0xB0, 0x07, 0x3E}},
        {"rpn", {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x02, 0xB0, 0x26, 0x00}},
        {"nrpn", {0xB2, 0x63, 0x01, 0xB2, 0x62, 0x02, 0xB2, 0x06, 0x40, 0xB2, 0x26, 0x10}},
        {"programWithBank", {0xB3, 0x00, 0x01, 0xB3, 0x20, 0x02, 0xC3, 0x05}},
        {"pitchBend", {0xE0, 0x00, 0x40, 0xE0, 0x7F, 0x7F}},
        {"pressure", {0xA4, 0x3C, 0x40, 0xD4, 0x30}},
        {"songPosition", {0xF2, 0x10, 0x20}},
        {"realTimeInsideSysEx", {0xF0, 0x7E, 0x7F, 0xF8, 0x06, 0x01, 0xF7}},
        {"sysEx4k", sysEx4k},
    };
    const auto device = virMIDIDevices().front();
    Monitor m;
    ASSERT_TRUE(drainUntil(m.queue, [&] { return m.lists(device.portName); }));
    const std::int32_t id = m.source(device.portName)->id;
    for (const MIDIProtocol protocol : {MIDIProtocol::midi2, MIDIProtocol::midi1}) {
        m.manager.setMIDI1ProtocolOnly(protocol == MIDIProtocol::midi1);
        m.queue.drain();
        for (const auto& kind : kinds) {
            const std::string label =
                std::string(kind.name) + (protocol == MIDIProtocol::midi1 ? " at 1.0" : " at 2.0");
            m.words.clear();
            const Words expected = translate(kind.bytes, protocol);
            ASSERT_FALSE(expected.empty()) << label;
            writeBytes(device.node, kind.bytes);
            EXPECT_TRUE(drainUntil(m.queue, [&] { return m.words[id].size() >= expected.size(); }))
                << label;
            EXPECT_EQ(m.words[id], expected)
                << label << ": " << m.words[id].size() << " words of " << expected.size()
                << ", first difference at "
                << std::mismatch(m.words[id].begin(), m.words[id].end(), expected.begin(),
                                 expected.end())
                           .first -
                       m.words[id].begin()
                << ", " << m.manager.inputOverruns() << " input overruns";
        }
    }
    // Pinned without the translator, so that both cannot drift together.
    m.words.clear();
    writeBytes(device.node, {0x90, 0x3C, 0x64});
    ASSERT_TRUE(drainUntil(m.queue, [&] { return !m.words[id].empty(); }));
    EXPECT_EQ(m.words[id], (Words{0x20903C64}));
    EXPECT_EQ(m.manager.inputOverruns(), 0u);
}

// A second client that hears a source too: once it has heard an event, the monitor's client has
// it queued in order before anything sent later.
struct Witness {
    ALSASequencer sequencer;
    std::mutex mutex;
    std::size_t heard = 0;
    explicit Witness(std::string_view portName) {
        sequencer.createClient("Umbrascope Witness", [](MIDINotification) {});
        sequencer.createInputPort(
            "Umbrascope Witness In", MIDIProtocol::midi1,
            [this](std::uint32_t, MIDIProtocol, std::span<const std::uint32_t>) {
                std::lock_guard lock(mutex);
                ++heard;
            });
        for (const auto reference : sequencer.sources())
            if (sequencer.displayName(reference).value_or("").find(portName) != std::string::npos)
                sequencer.connect(reference);
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return heard;
    }
};

TEST(KernelSequencer, HotplugKeepsADisabledSourceDisabledAndSilent) {
    SKIP_WITHOUT_VIRMIDI();
    if (!inThrowawayMachine()) GTEST_SKIP() << "UMBRASCOPE_KERNEL_GUEST only";
    auto devices = virMIDIDevices();
    ASSERT_GE(devices.size(), 2u);
    Monitor m;
    ASSERT_TRUE(drainUntil(m.queue, [&] { return m.lists(devices[1].portName); }));
    const MIDISourceInfo off = *m.source(devices[0].portName);
    const MIDISourceInfo on = *m.source(devices[1].portName);
    m.manager.setSourceEnabled(off.id, false);
    {
        Witness witness(devices[0].portName);
        writeBytes(devices[0].node, {0x90, 0x40, 0x40});
        ASSERT_TRUE(drainUntil(m.queue, [&] { return witness.count() > 0; }));
        writeBytes(devices[1].node, {0x90, 0x41, 0x40});
        ASSERT_TRUE(drainUntil(m.queue, [&] { return m.counts[on.id] > 0; }));
        EXPECT_EQ(m.counts[off.id], 0u) << "nothing from a disabled source";
    }

    // Unbinding the card is what unplugging a USB device does; only then may the module go.
    const Ran unplugged = run(unplugVirMIDI);
    ASSERT_EQ(unplugged.status, 0) << unplugged.output;
    EXPECT_TRUE(drainUntil(m.queue, [&] { return !m.lists("VirMIDI"); })) << "its ports went";
    EXPECT_TRUE(m.lists("Midi Through"));
    const Ran plugged = run("modprobe snd-virmidi midi_devs=2");
    ASSERT_EQ(plugged.status, 0) << plugged.output;
    devices = virMIDIDevices();
    ASSERT_EQ(devices.size(), 2u);
    ASSERT_TRUE(drainUntil(m.queue, [&] {
        return m.lists(devices[0].portName) && m.lists(devices[1].portName);
    })) << "back, two of them this time";
    EXPECT_EQ(m.source(devices[0].portName)->id, off.id) << "same name, same id";
    EXPECT_FALSE(m.manager.enabledSourceIDs().contains(off.id)) << "still disabled";
    EXPECT_TRUE(m.manager.enabledSourceIDs().contains(on.id));
    writeBytes(devices[1].node, {0x90, 0x42, 0x40});
    EXPECT_TRUE(drainUntil(m.queue, [&] { return m.counts[on.id] > 1; })) << "connected again";
    const Ran restored = run(std::string(unplugVirMIDI) + " && modprobe snd-virmidi");
    EXPECT_EQ(restored.status, 0) << restored.output;
}

TEST(KernelSequencer, AFloodArrivesWholeOrItsLossIsCounted) {
    SKIP_WITHOUT_VIRMIDI();
    if (!inThrowawayMachine()) GTEST_SKIP() << "UMBRASCOPE_KERNEL_GUEST only";
    constexpr std::size_t total = 100'000;
    Bytes bytes;
    bytes.reserve(total * 3);
    for (std::size_t i = 0; i < total; ++i) {
        bytes.push_back(0x90);
        bytes.push_back(static_cast<std::uint8_t>(i % 128));
        bytes.push_back(static_cast<std::uint8_t>(1 + i % 127));
    }
    const auto device = virMIDIDevices().front();
    Monitor m;
    m.manager.setMIDI1ProtocolOnly(true); // one word a message: each note is easy to check
    ASSERT_TRUE(drainUntil(m.queue, [&] { return m.lists(device.portName); }));
    const std::int32_t id = m.source(device.portName)->id;
    m.words.clear();
    m.counts.clear();

    const auto started = std::chrono::steady_clock::now();
    writeBytes(device.node, bytes);
    // A Song Select after the flood, through the same device so that it cannot overtake it, marks
    // the end; sent again while it is lost to an overrun.
    const Bytes marker{0xF3, 0x05};
    const auto markers = [&] {
        const auto& w = m.words[id];
        return static_cast<std::size_t>(std::count(w.begin(), w.end(), 0x10F30500u));
    };
    bool ended = false;
    for (int attempt = 0; attempt < 60 && !ended; ++attempt) {
        writeBytes(device.node, marker);
        const auto until = std::chrono::steady_clock::now() + 1s;
        while (!ended && std::chrono::steady_clock::now() < until) {
            m.queue.drain();
            ended = markers() > 0;
            std::this_thread::sleep_for(2ms);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::size_t delivered = m.counts[id] - markers();
    const auto rate = static_cast<long>(static_cast<double>(delivered) / seconds);
    RecordProperty("delivered", static_cast<int>(delivered));
    RecordProperty("messagesPerSecond", static_cast<int>(rate));
    std::printf("flood: %zu of %zu messages in %.2f s, %ld messages/s, %llu input overruns\n",
                delivered, total, seconds, rate,
                static_cast<unsigned long long>(m.manager.inputOverruns()));
    ASSERT_TRUE(ended) << "the end marker never arrived";
    if (delivered < total) {
        EXPECT_GT(m.manager.inputOverruns(), 0u) << "a loss is never silent";
        return;
    }
    // Whole, and in the order written: the buffer's newest notes are the last ones sent.
    std::vector<MIDIMessage> kept(m.manager.messages().begin(), m.manager.messages().end());
    std::erase_if(kept, [](const MIDIMessage& message) { return message.words[0] == 0x10F30500u; });
    ASSERT_FALSE(kept.empty());
    const std::size_t first = total - kept.size();
    for (std::size_t i = 0; i < kept.size(); ++i)
        ASSERT_EQ(kept[i].words.toVector(), Words{floodNote(first + i)}) << "message " << first + i;
}

// ---- The desktop window and the command line, as programs.

const fs::path binaryDir = UMBRASCOPE_BINARY_DIR;

// A program started in the background and stopped at the end.
class Program {
public:
    explicit Program(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ~Program() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

template <typename Done>
bool waitFor(Done done, std::chrono::seconds limit = 90s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// The window on the X display, with T pressed once it has the focus.
struct Window {
    fs::path log;
    std::optional<Program> program;
    bool up = false;

    explicit Window(const std::string& name) : log(fs::temp_directory_path() / (name + ".log")) {
        const auto started = std::chrono::steady_clock::now();
        const auto since = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - started)
                .count();
        };
        fs::remove(log);
        program.emplace(std::vector<std::string>{(binaryDir / "src/desktop/umbrascope").string(),
                                                 "--speech", "none", "--speech-log", log});
        if (!program->started()) return;
        std::string window;
        up = waitFor([&] {
            const Ran found = run("xdotool search --onlyvisible --name '^Umbrascope'");
            window = found.output.substr(0, found.output.find('\n'));
            return found.status == 0 && !window.empty();
        });
        std::printf("%s: the window appeared after %.1f s\n", name.c_str(), since());
        if (!up) return;
        run("xdotool windowfocus --sync " + window);
        run("xdotool key --clearmodifiers t");
    }
    // The log's outcome lines: each utterance also has a line when it is handed over.
    std::string spoken() const {
        std::istringstream lines(readFile(log));
        std::string kept;
        for (std::string line; std::getline(lines, line);)
            if (line.find(" handed-over ") == std::string::npos) kept += line + '\n';
        return kept;
    }
};

bool haveDisplay() {
    return std::getenv("DISPLAY") != nullptr && fs::exists(binaryDir / "src/desktop/umbrascope") &&
           waitFor([] { return run("xdotool getdisplaygeometry").status == 0; });
}

TEST(KernelSequencer, TheWindowSpeaksWhatAVirMIDIPortSends) {
    SKIP_WITHOUT_VIRMIDI();
    if (!inThrowawayMachine()) GTEST_SKIP() << "UMBRASCOPE_KERNEL_GUEST only";
    if (!haveDisplay()) GTEST_SKIP() << "no X display with xdotool, or no umbrascope built";
    const auto device = virMIDIDevices().front();
    Window window("window-speech");
    ASSERT_TRUE(window.up) << "the window did not appear";
    ASSERT_TRUE(waitFor([&] { return window.spoken().find("TTS Short") != std::string::npos; }))
        << "T turned narration on";
    const struct {
        Bytes bytes;
        const char* spoken;
    } sent[] = {
        {{0x90, 0x3C, 0x64}, "Note On C4"},
        {{0xB0, 0x07, 0x3E}, "CC7 48"},
        {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, "Siss-Ex"},
        {{0xE0, 0x00, 0x40}, "Bend Center"},
    };
    for (const auto& message : sent) {
        writeBytes(device.node, message.bytes);
        EXPECT_TRUE(waitFor([&] {
            return window.spoken().find(message.spoken) != std::string::npos;
        })) << message.spoken
            << " in:\n"
            << window.spoken();
    }
}

TEST(KernelSequencer, WithoutTheSequencerModuleEverythingSaysWhyAndHowToFixIt) {
    if (!inThrowawayMachine()) GTEST_SKIP() << "UMBRASCOPE_KERNEL_GUEST only";
    if (!fs::exists("/dev/snd/seq")) GTEST_SKIP() << "no /dev/snd/seq to take away";
    const Ran unloaded = run(std::string(unplugVirMIDI) +
                             " && modprobe -r snd-seq-dummy snd-seq-midi-event snd-seq");
    ASSERT_EQ(unloaded.status, 0) << unloaded.output
                                  << run("lsmod; cat /proc/asound/seq/clients").output;
    ASSERT_FALSE(fs::exists("/dev/snd/seq"));
    const std::string problem =
        "the ALSA sequencer could not be opened: No such file or directory; "
        "is the snd-seq module loaded?";
    const Ran sources = run((binaryDir / "src/cli/umbrascope-cli").string() + " sources");
    EXPECT_EQ(sources.status, 1);
    EXPECT_EQ(sources.output, "umbrascope-cli sources: " + problem + "\n");
    if (haveDisplay()) {
        Window window("window-no-sequencer");
        EXPECT_TRUE(window.up) << "the window did not appear";
        EXPECT_TRUE(waitFor([&] {
            return window.spoken().find("is the snd-seq") != std::string::npos;
        })) << window.spoken();
        EXPECT_EQ(occurrences(window.spoken(), "The ALSA sequencer could not be opened"), 1u);
        EXPECT_EQ(occurrences(window.spoken(), "No MIDI sources found"), 0u);
    }
    EXPECT_EQ(run("modprobe snd-seq && modprobe snd-seq-dummy && modprobe snd-virmidi").status, 0);
}

} // namespace
} // namespace umbrascope::alsa
