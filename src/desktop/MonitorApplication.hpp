#pragma once

#include <QObject>
#include <memory>
#include <vector>

#include "desktop/CommandLine.hpp"

namespace umbrascope::desktop {

class MonitorSession;

// The monitor windows of the program: each an independent session made from the same request;
// New Window (Ctrl+N) in any of them opens another. A closed window's session is deleted from the
// event loop. Main thread only.
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

    MonitorRequest request_;
    std::vector<std::unique_ptr<MonitorSession>> sessions_;
};

} // namespace umbrascope::desktop
