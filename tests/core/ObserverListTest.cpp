#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ObserverList.hpp"

namespace umbrascope {
namespace {

TEST(ObserverList, ChangesDuringNotificationAndAfterTheListIsGone) {
    ObserverList<int>::Subscription survivor;
    {
        ObserverList<int> list;
        std::vector<std::string> calls;
        const auto log = [&](const char* name) {
            return [&calls, name](int n) { calls.push_back(name + std::to_string(n)); };
        };
        ObserverList<int>::Subscription second, self;
        std::optional<ObserverList<int>::Subscription> late;
        auto first = list.subscribe([&](int n) {
            log("first ")(n);
            second.reset(); // ends an observer not yet called in this pass
            if (!late) late = list.subscribe(log("late "));
        });
        second = list.subscribe(log("second "));
        self = list.subscribe([&](int n) {
            log("self ")(n);
            self.reset();
        });
        list.notify(1);
        list.notify(2);
        EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "self 1", "first 2", "late 2"}));
        EXPECT_EQ(list.size(), 2u);
        survivor = list.subscribe(log("replaced "));
        survivor = list.subscribe([](int) {}); // ends the observation it replaces
        calls.clear();
        list.notify(3);
        EXPECT_EQ(calls, (std::vector<std::string>{"first 3", "late 3"}));
    }
    survivor.reset(); // the list is gone: nothing to do, nothing to crash
}

} // namespace
} // namespace umbrascope
