#include <gtest/gtest.h>

#include <thread>

#include "core/OwnerThread.hpp"

namespace umbrascope {
namespace {

TEST(OwnerThread, StopsACallOnTheWrongThreadWhereChecksAreOn) {
#if UMBRASCOPE_THREAD_CHECKS
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const OwnerThread owner;
    owner.check("ContentView::handleKey");
    std::thread([&] { owner.checkOther("the audio callback"); }).join();
    EXPECT_DEATH(std::thread([&] { owner.check("ContentView::handleKey"); }).join(),
                 "ContentView::handleKey called off its owner thread");
    EXPECT_DEATH(owner.checkOther("the audio callback"),
                 "the audio callback called on the thread it must not block");
#else
    GTEST_SKIP() << "thread checks are compiled out of Release builds";
#endif
}

} // namespace
} // namespace umbrascope
