#pragma once

#include <QObject>

#include "core/MainQueue.hpp"

namespace umbrascope {

// Runs posted tasks on the Qt event loop of the thread that created it (the main thread), in post
// order. Any thread may post. It must outlive every thread that posts to it; tasks still queued
// when it is destroyed are dropped.
class QtMainQueue final : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(std::function<void()> task) override;

private:
    QObject* receiver_;
};

} // namespace umbrascope
