#include "desktop/MonitorApplication.hpp"

#include <algorithm>
#include <utility>

#include "desktop/MonitorSession.hpp"
#include "ui/MonitorWindow.hpp"

namespace umbrascope::desktop {

MonitorApplication::MonitorApplication(MonitorRequest request) : request_(std::move(request)) {}

MonitorApplication::~MonitorApplication() = default;

MonitorSession& MonitorApplication::openWindow() {
    fileCaptures_.resize(request_.captures.size());
    MonitorRequest request = request_;
    request.captures.clear();
    std::vector<std::filesystem::path> reread;
    for (std::size_t i = 0; i < request_.captures.size(); ++i) {
        if (auto capture = request_.captures[i] ? request_.captures[i] : fileCaptures_[i].lock())
            request.captures.push_back(std::move(capture));
        else
            reread.push_back(request_.captureFiles.at(i));
    }
    auto session = std::make_unique<MonitorSession>(request, reread);
    for (std::size_t i = 0; i < request_.captureFiles.size() && i < request_.captures.size(); ++i)
        if (request_.captures[i]) fileCaptures_[i] = std::exchange(request_.captures[i], nullptr);
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
