#pragma once

#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define UMBRASCOPE_THREAD_CHECKS 1
#include <cstdio>
#include <cstdlib>
#include <thread>
#else
#define UMBRASCOPE_THREAD_CHECKS 0
#endif

namespace umbrascope {

// The thread rule of a class that checks itself: it records the thread that constructs it, and
// in Debug and sanitizer builds a call on the wrong thread stops the program, naming the entry
// point. In Release builds it is empty and costs nothing.
class OwnerThread {
public:
#if UMBRASCOPE_THREAD_CHECKS
    // Called on the owner thread only.
    void check(const char* where) const {
        if (std::this_thread::get_id() != owner_) fail(where, "off its owner thread");
    }
    // Never called on the owner thread: real-time code such as the audio callback.
    void checkOther(const char* where) const {
        if (std::this_thread::get_id() == owner_) fail(where, "on the thread it must not block");
    }

private:
    [[noreturn]] static void fail(const char* where, const char* how) {
        std::fprintf(stderr, "umbrascope: %s called %s\n", where, how);
        std::abort();
    }
    std::thread::id owner_ = std::this_thread::get_id();
#else
    void check(const char*) const {}
    void checkOther(const char*) const {}
#endif
};

} // namespace umbrascope
