// Shows the monitor window over a list of generated messages, with the key commands wired to a
// small state of its own. Reads commands on standard input ("burst N", "quit") and reports on
// standard output ("ready", "burst-done N", "more ROW"), one line each. "grab PATH" saves a
// picture of the window. "--buffer N" keeps N rows instead of 500.
#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <iostream>
#include <string>
#include <unistd.h>

#include "model/Packet.hpp"
#include "text/Description.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/RowSource.hpp"

using namespace umbrascope;

namespace {

std::size_t bufferLimit = 500;

class Rows final : public RowSource {
public:
    std::size_t rowCount() const override { return messages.size(); }
    const MIDIMessage& message(std::size_t row) const override { return messages[row]; }
    std::deque<MIDIMessage> messages;
};

MIDIMessage makeMessage(std::int64_t sequence) {
    static const std::shared_ptr<const std::string> source = makeSourceName("Fixture Source");
    static constexpr std::uint32_t samples[][2] = {
        {0x40903C00, 0xFFFF0000}, {0x20903C40, 0}, {0x10F80000, 0},
        {0xF0000101, 0},          {0x20B00740, 0}, {0x00200010, 0},
    };
    const auto& sample = samples[static_cast<std::size_t>(sequence) % std::size(samples)];
    const PacketClass cls = classifyPacket(sample[0]);
    PacketWords words(std::span<const std::uint32_t>(sample, cls.length > 1 ? 2 : 1));
    MIDIMessage message;
    message.id = Identifier::make();
    message.sequenceNumber = sequence;
    message.sourceNameStorage = source;
    message.sourceID = 7;
    message.words = words;
    message.messageType = cls.type;
    message.description = describePacket(words, cls.type);
    return message;
}

void say(const std::string& line) {
    std::cout << line << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (const auto at = arguments.indexOf(QStringLiteral("--buffer"));
        at > 0 && at + 1 < arguments.size())
        bufferLimit = arguments[at + 1].toULong();
    QApplication::setApplicationName(QStringLiteral("Umbrascope"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));

    Rows rows;
    std::int64_t nextSequence = 0;
    MonitorWindow window;
    window.setVersionText(QStringLiteral("v0.1.0 (0)"));
    window.setConnectedSources({QStringLiteral("Fixture Source")});
    window.setRowSource(&rows);
    window.setRateRange(0.0f, 1.0f);
    window.setRate(0.5f);
    window.setVolume(1.0f);

    const auto append = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            rows.messages.push_back(makeMessage(nextSequence++));
        window.messageModel().appended(count);
        std::size_t dropped = 0;
        while (rows.messages.size() > bufferLimit) {
            rows.messages.pop_front();
            ++dropped;
        }
        window.messageModel().removedFromFront(dropped);
        window.setBufferFull(dropped > 0);
        window.setMessageCount(static_cast<qsizetype>(rows.messages.size()));
        window.setExportEnabled(true);
        window.setIdle(false);
    };
    append(40);

    // The switches the keys and the window change.
    std::array<bool, 8> shown{};
    shown.fill(true);
    std::array<bool, 4> filters{};
    TTSLevel level = TTSLevel::off;
    bool interrupts = false;
    bool ticks = false;
    float volume = 1.0f;
    const auto toggleFilter = [&](FilterSwitch filter) {
        auto& on = filters[static_cast<std::size_t>(filter)];
        on = !on;
        window.setFilter(filter, on);
    };
    window.setKeyHandler([&](const KeyCommand& command) {
        if (command.kind != KeyCommand::Kind::character) {
            volume += command.kind == KeyCommand::Kind::upArrow ? 0.1f : -0.1f;
            volume = std::clamp(volume, 0.0f, 1.0f);
            window.setVolume(volume);
            return true;
        }
        const char c =
            static_cast<char>(std::tolower(static_cast<unsigned char>(command.character)));
        if (c >= '1' && c <= '8') {
            const auto i = static_cast<std::size_t>(c - '1');
            shown[i] = !shown[i];
            window.setTypeShown(MonitorWindow::legendOrder[i], shown[i]);
        } else if (c == 's') {
            toggleFilter(FilterSwitch::hideActiveSensing);
        } else if (c == 'c') {
            toggleFilter(FilterSwitch::hideMidiClock);
        } else if (c == 'u') {
            toggleFilter(FilterSwitch::onlyUMPSources);
        } else if (c == 'l') {
            toggleFilter(FilterSwitch::midi1ProtocolOnly);
        } else if (c == 't') {
            level = nextTTSLevel(level);
            window.setNarrationLevel(level);
        } else if (c == 'i') {
            interrupts = !interrupts;
            window.setLastInterrupts(interrupts);
        } else if (c == 'k') {
            ticks = !ticks;
            window.setClickOnMessage(ticks);
        }
        say(std::string("key ") + command.character);
        return true;
    });
    QObject::connect(&window, &MonitorWindow::typeShownToggled, [&](UMPMessageType type, bool on) {
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (MonitorWindow::legendOrder[i] == type) shown[i] = on;
    });
    QObject::connect(&window, &MonitorWindow::filterToggled, [&](FilterSwitch filter, bool on) {
        filters[static_cast<std::size_t>(filter)] = on;
    });
    QObject::connect(&window, &MonitorWindow::narrationLevelChosen,
                     [&](TTSLevel chosen) { level = chosen; });
    QObject::connect(&window, &MonitorWindow::clearClicked, [&] {
        rows.messages.clear();
        window.messageModel().reset();
        window.setMessageCount(0);
        window.setExportEnabled(false);
        window.setBufferFull(false);
        window.setIdle(true);
        say("cleared");
    });
    QObject::connect(&window, &MonitorWindow::moreRequested,
                     [&](int row) { say("more " + std::to_string(row)); });

    // A burst arrives as batches of 64, as fast as the event loop takes them.
    QTimer burst;
    std::size_t burstLeft = 0;
    std::size_t burstTotal = 0;
    // The longest time the event loop was away during the burst, from a 1 ms timer's gaps.
    QTimer watch;
    watch.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestStall = 0;
    QObject::connect(&watch, &QTimer::timeout,
                     [&] { longestStall = std::max(longestStall, sinceTick.restart()); });
    QElapsedTimer burstClock;
    QObject::connect(&burst, &QTimer::timeout, [&] {
        const std::size_t batch = std::min<std::size_t>(64, burstLeft);
        append(batch);
        burstLeft -= batch;
        if (burstLeft == 0) {
            burst.stop();
            window.messageModel().flush();
            window.scrollToEnd(false);
            watch.stop();
            say("burst-done " + std::to_string(burstTotal) + " in " +
                std::to_string(burstClock.elapsed()) + " ms, longest stall " +
                std::to_string(longestStall) + " ms");
        }
    });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    std::string pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(got));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.rfind("burst ", 0) == 0) {
                burstTotal = std::stoul(line.substr(6));
                burstLeft = burstTotal;
                longestStall = 0;
                burstClock.start();
                sinceTick.start();
                watch.start(1);
                burst.start(1);
            } else if (line.rfind("grab ", 0) == 0) {
                const bool saved = window.grab().save(QString::fromStdString(line.substr(5)));
                say(saved ? "grabbed" : "grab-failed");
            } else if (line == "quit") {
                QApplication::quit();
            }
        }
    });

    window.show();
    QTimer::singleShot(0, [&] {
        window.scrollToEnd(false);
        say("ready");
    });
    return QApplication::exec();
}
