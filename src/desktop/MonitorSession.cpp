#include "desktop/MonitorSession.hpp"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cctype>
#include <iostream>

#include "platform/PreloadedVoices.hpp"
#include "platform/SpeechSetup.hpp"
#include "ui/FileDialogs.hpp"
#include "ui/MonitorController.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/Sheets.hpp"

namespace umbrascope::desktop {

namespace {

platform::MIDIRequest midiRequest(const MonitorRequest& request) {
    platform::MIDIRequest midi;
    midi.captures = request.captures;
    midi.demo = request.demo;
    return midi;
}

// Every window speaks through a synthesizer of its own; when the chosen backend is not available
// (its reason is on stderr), the window is silent rather than absent.
platform::SpeechSetup windowSpeech(const std::string& choice, MainQueue& mainQueue) {
    if (auto setup = platform::makeSpeech(choice, mainQueue, std::cerr)) return std::move(*setup);
    return platform::makeSilentSpeech();
}

} // namespace

MonitorSession::MonitorSession(const MonitorRequest& request,
                               const std::vector<std::filesystem::path>& reread)
    : midi_(midiRequest(request)) {
    platform::SpeechSetup speech = windowSpeech(request.speech, mainQueue_);
    // Ready before Device Settings first asks, and listed without holding up speech.
    platform::preloadVoices(speech);
    auto whyUnheard = platform::unheardCheck(speech);
    engine_ = std::move(speech.engine);
    speechNotice_ = speech.onFallback([this](const std::string& notice) {
        std::cerr << notice << '\n';
        view_->showSpeechNotice(notice);
    });
    window_ = std::make_unique<MonitorWindow>();
    view_ = std::make_unique<ContentView>(ContentViewServices{
        midi_.service(), std::move(speech.synthesizer), *engine_, mainQueue_, scheduler_,
        background_, SystemClock::instance(), csvSaveAsker(window_.get())});
    if (const std::string& problem = midi_.systemMIDIProblem(); !problem.empty()) {
        std::cerr << "umbrascope: " << problem << '\n';
        std::string notice = problem;
        notice.front() =
            static_cast<char>(std::toupper(static_cast<unsigned char>(notice.front())));
        view_->showMIDINotice(std::move(notice));
    }
    if (request.speechLog) {
        speechLog_ = request.speechLog;
        speechLog_->setUnheardCheck(std::move(whyUnheard));
        speechLog_->attach(view_->speechAnnouncer(), SystemClock::instance(),
                           [this](const std::string& problem) {
                               std::cerr << "umbrascope: " << problem << '\n';
                               // Not from within the announcer's report: the notice is spoken.
                               mainQueue_.post([this, problem] {
                                   if (view_) view_->showSpeechNotice(problem);
                               });
                           });
    }
    controller_ = std::make_unique<MonitorController>(*view_, *window_);
    captureFiles_ = std::make_unique<CaptureFiles>(CaptureFiles::Services{
        *view_,
        background_,
        mainQueue_,
        captureSaveAsker(window_.get()),
        captureOpenAsker(window_.get()),
        {[this](std::shared_ptr<const Capture> capture) {
             return midi_.addOpened(std::move(capture));
         },
         [this](SourceRef source, ReplayPace pace) { midi_.playOpened(source, pace); }}});
    for (const auto& file : reread)
        captureFiles_->open({file, false});
    addWindowMenu();
    window_->installEventFilter(this);
    // Queued behind the store's first scan.
    mainQueue_.post([this] { midi_.startPlayback(); });
}

MonitorSession::~MonitorSession() {
    if (window_) window_->removeEventFilter(this);
    captureFiles_.reset();
    controller_.reset();
    window_.reset();
    view_.reset();
}

void MonitorSession::addWindowMenu() {
    QMenuBar* bar = window_->menuBar();
    auto* menu = new QMenu(QStringLiteral("&File"), bar);
    QAction* newWindow = menu->addAction(QStringLiteral("New Window"));
    newWindow->setShortcut(QKeySequence::New);
    connect(newWindow, &QAction::triggered, this, &MonitorSession::newWindowRequested);
    QAction* open = menu->addAction(QStringLiteral("&Open Capture\u2026"));
    open->setObjectName(QStringLiteral("openCaptureAction"));
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] { captureFiles_->requestOpen(); });
    QAction* save = menu->addAction(QStringLiteral("&Save Capture\u2026"));
    save->setObjectName(QStringLiteral("saveCaptureAction"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { captureFiles_->requestSave(); });
    menu->addSeparator();
    QAction* close = menu->addAction(QStringLiteral("Close Window"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, window_.get(), &QWidget::close);
    QAction* quit = menu->addAction(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    bar->insertMenu(bar->actions().value(0), menu);
}

bool MonitorSession::eventFilter(QObject* watched, QEvent* event) {
    // A close can still be refused: look once it has been handled.
    if (watched == window_.get() && event->type() == QEvent::Close)
        QTimer::singleShot(0, this, [this] {
            if (!window_->isVisible()) emit closed();
        });
    return QObject::eventFilter(watched, event);
}

} // namespace umbrascope::desktop
