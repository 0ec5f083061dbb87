#include "app/TemporaryFiles.hpp"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace umbrascope {

namespace {

enum SlotState : int { freeSlot, claimed, live };

struct Slot {
    std::atomic<int> state{freeSlot};
    int folder = -1;
    char name[NAME_MAX + 1]{};
};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

constinit std::array<Slot, 16> slots{};

constexpr std::array terminatingSignals{SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporariesThenDie(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : slots)
        if (slot.state.load(std::memory_order_acquire) == live)
            ::unlinkat(slot.folder, slot.name, 0);
    errno = savedErrno;
    // SA_RESETHAND put back the default action, which this raise now takes.
    ::raise(signal);
}

} // namespace

int registerTemporaryFile(int folder, const char* name) noexcept {
    const std::size_t length = std::strlen(name);
    if (length > NAME_MAX) return -1;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        int expected = freeSlot;
        if (!slots[i].state.compare_exchange_strong(expected, claimed, std::memory_order_acquire))
            continue;
        slots[i].folder = folder;
        std::memcpy(slots[i].name, name, length + 1);
        slots[i].state.store(live, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void unregisterTemporaryFile(int slot) noexcept {
    if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return;
    slots[static_cast<std::size_t>(slot)].state.store(freeSlot, std::memory_order_release);
}

void removeTemporaryFilesOnSignals() {
    for (const int signal : terminatingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = removeTemporariesThenDie;
        sigemptyset(&action.sa_mask);
        action.sa_flags = static_cast<int>(SA_RESETHAND);
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace umbrascope
