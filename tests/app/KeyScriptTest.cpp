#include <gtest/gtest.h>

#include "app/KeyScript.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

TEST(KeyScript, ParsesKeysOrdersThemByPacketAndPressesThem) {
    const std::pair<std::string_view, std::vector<ScriptedKey>> cases[] = {
        {"  ", {}},
        {"T@0 5@10", {{'T', 0}, {'5', 10}}},
        {"Up@3\tdOWN@3", {{ArrowKey::up, 3}, {ArrowKey::down, 3}}},
        {"]@7 k@2 K@2 [@0", {{'[', 0}, {'k', 2}, {'K', 2}, {']', 7}}},
    };
    for (const auto& [script, expected] : cases)
        EXPECT_EQ(parseKeyScript(script), expected) << script;
    testing_support::Window w;
    for (const auto& key : parseKeyScript("K@0 Down@0"))
        EXPECT_EQ(press(*w.view, key), KeyResult::handled);
    EXPECT_TRUE(w.view->clickOnMessage());
    EXPECT_FLOAT_EQ(w.view->speechAnnouncer().volume(), 0.9f);
}

TEST(KeyScript, ErrorsSayWhereAndWhatWasExpected) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"9@0", "column 1: expected a key"},
        {"@4", "column 1: expected a key"},
        {"Up@", "column 4: expected a packet number (0 or more) after '@'"},
        {"T@-1", "column 3: expected a packet number (0 or more) after '@'"},
        {"T@99999999999999999999999", "column 3: packet number '9999"},
    };
    for (const auto& [script, message] : cases) {
        try {
            parseKeyScript(script);
            ADD_FAILURE() << script << ": no error";
        } catch (const KeyScriptError& error) {
            EXPECT_EQ(std::string_view(error.what()).substr(0, message.size()), message);
        }
    }
}

} // namespace
} // namespace umbrascope
