#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "core/LifetimeToken.hpp"

namespace umbrascope {
namespace {

TEST(LifetimeToken, GuardedWorkRunsOnlyWhileTheOwnerExists) {
    int runs = 0;
    auto token = std::make_unique<LifetimeToken>();
    std::function<void(int)> guarded = token->guard([&runs](int n) { runs += n; });
    const auto watch = token->watch();
    guarded(1);
    token->end();
    guarded(10);
    EXPECT_TRUE(watch.expired());
    token.reset(); // the guarded work and the watch outlive the token itself
    guarded(100);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace umbrascope
