// umbrascope: the desktop monitor window.
#include <QApplication>
#include <QScrollBar>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <ranges>
#include <system_error>

#include "app/AppInfo.hpp"
#include "app/TemporaryFiles.hpp"
#include "desktop/CommandLine.hpp"
#include "desktop/MonitorApplication.hpp"
#include "desktop/MonitorSession.hpp"
#include "desktop/QuitOnSignals.hpp"
#include "text/TerminalSafe.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorWindow.hpp"

using namespace umbrascope;

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value && *value) return true;
    return false;
}

// Waits until the list shows a screenful of rows and rests at its end, saves the window's
// picture and quits: exit code 0 when saved.
void saveScreenshotWhenFilled(desktop::MonitorSession& session, const QString& path) {
    constexpr std::size_t rowsWanted = 130; // into the phrase: notes, drums, lyrics, clock
    constexpr int settleMilliseconds = 1000;
    constexpr int giveUpMilliseconds = 120'000;
    auto* poll = new QTimer(&session);
    const auto atRest = [&session] {
        const QScrollBar* bar = session.window().messageList().verticalScrollBar();
        return bar->value() == bar->maximum();
    };
    QObject::connect(poll, &QTimer::timeout, &session, [&session, path, poll, atRest] {
        if (std::ranges::size(session.view().visibleMessages()) < rowsWanted) return;
        poll->stop();
        // The Demo plays on: the picture is taken between two of its scrolls.
        QTimer::singleShot(settleMilliseconds, &session, [&session, path, atRest] {
            auto* rest = new QTimer(&session);
            QObject::connect(rest, &QTimer::timeout, &session, [&session, path, rest, atRest] {
                if (!atRest()) return;
                rest->stop();
                const bool saved = session.window().grab().save(path);
                std::cerr << (saved ? "umbrascope: saved " : "umbrascope: could not save ")
                          << terminalSafe(path.toStdString()) << "\n";
                QApplication::exit(saved ? 0 : 1);
            });
            rest->start(10);
        });
    });
    poll->start(50);
    QTimer::singleShot(giveUpMilliseconds, &session, [] {
        std::cerr << "umbrascope: no rows to take a picture of\n";
        QApplication::exit(1);
    });
}

} // namespace

int main(int argc, char** argv) {
    // A CSV export cut short by Ctrl-C, SIGTERM or a closed terminal leaves no temporary file.
    removeTemporaryFilesOnSignals();
    auto read = desktop::readCommandLine(argc, argv, std::cout, std::cerr);
    if (const int* code = std::get_if<int>(&read)) return *code;
    auto& request = std::get<desktop::MonitorRequest>(read);
    if (!hasDisplay()) {
        std::cerr << "umbrascope: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "umbrascope-cli replays captures in a terminal\n";
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Umbrascope"));
    QApplication::setApplicationVersion(QString::fromStdString(versionText()));
    QApplication::setWindowIcon(AboutDialog::logoIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral(UMBRASCOPE_APP_ID));
    const auto screenshot = request.screenshot;

    desktop::QuitOnSignals quitOnSignals;
    int status = 0;
    try {
        desktop::MonitorApplication monitors(std::move(request));
        desktop::MonitorSession& first = monitors.openWindow();
        if (screenshot)
            saveScreenshotWhenFilled(first, QString::fromStdString(screenshot->string()));
        status = QApplication::exec();
    } catch (const std::system_error& error) {
        // The window's speech, MIDI and sound each need a thread of their own.
        std::cerr << "umbrascope: cannot start a thread: " << error.code().message() << '\n';
        return 1;
    }
    // The windows are gone and their speech logs finished.
    quitOnSignals.endIfSignalled();
    return status;
}
