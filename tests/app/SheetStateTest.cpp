#include <gtest/gtest.h>

#include <functional>

#include "app/SheetState.hpp"

namespace umbrascope {
namespace {

TEST(SheetState, OneSheetAtATimeAndTheBreakdownGoesWithItsMessage) {
    MIDIMessage first;
    first.sequenceNumber = 4;
    MIDIMessage second;
    second.sequenceNumber = 9;
    const MIDIMessage copy = first;
    using Step = std::function<bool(SheetState&)>;
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<bool> changed;
        Sheet open;
        const MIDIMessage* inspected;
    } rows[] = {
        {"newestWins",
         {[](SheetState& s) { return s.show(Sheet::userGuide); },
          [](SheetState& s) { return s.show(Sheet::deviceSettings); }},
         {true, true},
         Sheet::deviceSettings,
         nullptr},
        {"sameAgainChangesNothing",
         {[](SheetState& s) { return s.show(Sheet::userGuide); },
          [](SheetState& s) { return s.show(Sheet::userGuide); }},
         {true, false},
         Sheet::userGuide,
         nullptr},
        {"closingAnotherLeavesItOpen",
         {[](SheetState& s) { return s.show(Sheet::userGuide); },
          [](SheetState& s) { return s.close(Sheet::deviceSettings); }},
         {true, false},
         Sheet::userGuide,
         nullptr},
        {"breakdownNeedsAMessage",
         {[](SheetState& s) { return s.show(Sheet::breakdown); }},
         {false},
         Sheet::none,
         nullptr},
        {"anotherMessageReplacesTheBreakdown",
         {[&](SheetState& s) { return s.show(Sheet::breakdown, &first); },
          [&](SheetState& s) { return s.show(Sheet::breakdown, &second); }},
         {true, true},
         Sheet::breakdown,
         &second},
        {"othersDroppedKeepIt",
         {[&](SheetState& s) { return s.show(Sheet::breakdown, &second); },
          [](SheetState& s) { return s.messagesDropped(9); }},
         {true, false},
         Sheet::breakdown,
         &second},
        {"itsOwnDroppedClosesIt",
         {[&](SheetState& s) { return s.show(Sheet::breakdown, &first); },
          [](SheetState& s) { return s.messagesDropped(5); }},
         {true, true},
         Sheet::none,
         nullptr},
        {"movedToACopy",
         {[&](SheetState& s) { return s.show(Sheet::breakdown, &first); },
          [&](SheetState& s) { return s.moveInspected(&copy); },
          [](SheetState& s) { return s.messagesDropped(4); }},
         {true, false, false},
         Sheet::breakdown,
         &copy},
        {"goneFromTheCopyClosesIt",
         {[&](SheetState& s) { return s.show(Sheet::breakdown, &first); },
          [](SheetState& s) { return s.moveInspected(nullptr); }},
         {true, true},
         Sheet::none,
         nullptr},
        {"moveLeavesOtherSheets",
         {[](SheetState& s) { return s.show(Sheet::userGuide); },
          [&](SheetState& s) { return s.moveInspected(&copy); }},
         {true, false},
         Sheet::userGuide,
         nullptr},
        {"dropsLeaveOtherSheets",
         {[](SheetState& s) { return s.show(Sheet::userGuide); },
          [](SheetState& s) { return s.messagesDropped(100); }},
         {true, false},
         Sheet::userGuide,
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SheetState state;
        std::vector<bool> changed;
        for (const Step& step : row.steps)
            changed.push_back(step(state));
        EXPECT_EQ(changed, row.changed);
        EXPECT_EQ(state.open(), row.open);
        EXPECT_EQ(state.inspected(), row.inspected);
    }
}

} // namespace
} // namespace umbrascope
