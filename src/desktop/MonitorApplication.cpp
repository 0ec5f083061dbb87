#include "desktop/MonitorApplication.hpp"

#include <algorithm>

#include "desktop/MonitorSession.hpp"
#include "ui/MonitorWindow.hpp"

namespace umbrascope::desktop {

MonitorApplication::MonitorApplication(MonitorRequest request) : request_(std::move(request)) {}

MonitorApplication::~MonitorApplication() = default;

MonitorSession& MonitorApplication::openWindow() {
    auto session = std::make_unique<MonitorSession>(request_);
    request_.speechLog.reset(); // later windows speak unlogged
    MonitorSession* opened = session.get();
    connect(opened, &MonitorSession::newWindowRequested, this, [this] { openWindow(); });
    connect(opened, &MonitorSession::closed, this, [this, opened] { sessionClosed(opened); });
    sessions_.push_back(std::move(session));
    opened->window().show();
    return *opened;
}

void MonitorApplication::sessionClosed(MonitorSession* session) {
    const auto found = std::find_if(sessions_.begin(), sessions_.end(),
                                    [session](const auto& s) { return s.get() == session; });
    if (found == sessions_.end()) return;
    // Its signal is still being emitted: the session goes once the event loop is back.
    found->release()->deleteLater();
    sessions_.erase(found);
}

} // namespace umbrascope::desktop
