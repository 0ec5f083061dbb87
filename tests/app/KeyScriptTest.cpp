#include <gtest/gtest.h>

#include "app/KeyScript.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using Keys = std::vector<ScriptedKey>;

TEST(KeyScript, ParsesKeysAndOrdersThemByPacket) {
    struct Case {
        const char* name;
        std::string_view script;
        Keys expected;
    };
    const Case cases[] = {
        {"empty", "  ", {}},
        {"twoKeys", "T@0 5@10", {{'T', 0}, {'5', 10}}},
        {"arrowsAnyCase", "Up@3\tdOWN@3", {{ArrowKey::up, 3}, {ArrowKey::down, 3}}},
        {"orderedByPacketKeepingWrittenOrder",
         "]@7 k@2 K@2 [@0",
         {{'[', 0}, {'k', 2}, {'K', 2}, {']', 7}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseKeyScript(c.script), c.expected) << c.name;
}

TEST(KeyScript, ErrorsSayWhereAndWhatWasExpected) {
    struct Case {
        const char* name;
        std::string_view script;
        const char* message;
    };
    const Case cases[] = {
        {"notAKey", "T@0 x@1",
         "column 5: expected a key (one of 12345678uUsScCtTgGmMkKrRdDeEiIlL[], "
         "Up or Down), found 'x'"},
        {"digitNine", "9@0", "column 1: expected a key"},
        {"noKey", "@4", "column 1: expected a key"},
        {"noAt", "T@0  m", "column 7: expected '@' and a packet number after 'm'"},
        {"noNumber", "Up@", "column 4: expected a packet number (0 or more) after '@'"},
        {"negative", "T@-1", "column 3: expected a packet number (0 or more) after '@'"},
        {"trailing", "T@12x", "column 5: expected a blank or the end after the packet number"},
        {"tooLarge", "T@99999999999999999999999", "column 3: packet number '9999"},
    };
    for (const auto& c : cases) {
        try {
            parseKeyScript(c.script);
            ADD_FAILURE() << c.name << ": no error";
        } catch (const KeyScriptError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(c.message, 0), 0u)
                << c.name << ": " << error.what();
        }
    }
}

TEST(KeyScript, PressingAScriptedKeyActsOnTheWindow) {
    testing_support::Window w;
    for (const auto& key : parseKeyScript("K@0 Down@0"))
        EXPECT_EQ(press(*w.view, key), KeyResult::handled);
    EXPECT_TRUE(w.view->clickOnMessage());
    EXPECT_FLOAT_EQ(w.view->speechAnnouncer().volume(), 0.9f);
}

} // namespace
} // namespace umbrascope
