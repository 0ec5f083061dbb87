#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ObserverList.hpp"

namespace umbrascope {
namespace {

TEST(ObserverList, ChangesDuringNotification) {
    ObserverList<int> list;
    std::vector<std::string> calls;
    ObserverList<int>::Subscription second;
    std::optional<ObserverList<int>::Subscription> late;
    auto first = list.subscribe([&](int n) {
        calls.push_back("first " + std::to_string(n));
        second.reset(); // ends an observer not yet called in this pass
        if (!late)
            late = list.subscribe([&](int m) { calls.push_back("late " + std::to_string(m)); });
    });
    second = list.subscribe([&](int n) { calls.push_back("second " + std::to_string(n)); });
    list.notify(1);
    list.notify(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "first 2", "late 2"}));
    EXPECT_EQ(list.size(), 2u);
}

TEST(ObserverList, SelfRemovalAndOutlivingTheList) {
    ObserverList<int>::Subscription survivor;
    {
        ObserverList<int> list;
        int calls = 0;
        ObserverList<int>::Subscription self;
        self = list.subscribe([&](int) {
            ++calls;
            self.reset();
        });
        list.notify(0);
        list.notify(0);
        EXPECT_EQ(calls, 1);
        survivor = list.subscribe([](int) {});
    }
    survivor.reset(); // the list is gone: nothing to do, nothing to crash
}

} // namespace
} // namespace umbrascope
