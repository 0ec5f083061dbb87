#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "desktop/CommandLine.hpp"

namespace umbrascope::desktop {

class MonitorSession;

// The monitor windows of the program: each an independent session made from the same request;
// New Window (Ctrl+N) in any of them opens another. A capture read from a file is held by the
// windows that have yet to play it, not here: a window opened once none holds it reads the file
// again. A closed window's session is deleted from the event loop. Main thread only.
class MonitorApplication final : public QObject {
    Q_OBJECT
public:
    explicit MonitorApplication(MonitorRequest request);
    ~MonitorApplication() override;

    // Opens and shows one more window.
    MonitorSession& openWindow();
    const std::vector<std::unique_ptr<MonitorSession>>& sessions() const { return sessions_; }

private:
    void sessionClosed(MonitorSession* session);

    MonitorRequest request_; // after the first window, without the captures read from files
    std::vector<std::weak_ptr<const Capture>> fileCaptures_; // those, by their place in request_
    std::vector<std::unique_ptr<MonitorSession>> sessions_;
};

} // namespace umbrascope::desktop
