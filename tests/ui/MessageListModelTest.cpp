#include <QSignalSpy>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.hpp"
#include "ui/MessageListModel.hpp"

namespace umbrascope {
namespace {

using test::VectorRows;
using test::waitFor;

// One change of the source and its report to the model: rows dropped from the front, rows
// appended, a reset, or rows dropped without a report (a faulty owner).
struct Report {
    enum Kind { drop, add, clear, unreportedDrop } kind;
    std::size_t count = 0;
};

struct Sequence {
    const char* name;
    std::size_t initialRows;
    std::vector<Report> reports;
    // Rows the view sees removed and inserted in the one update; -1: a reset instead.
    int removed;
    int inserted;
};

class ModelSequence : public ::testing::TestWithParam<Sequence> {};

TEST_P(ModelSequence, AppliesAFramesReportsAsOneRemovalAndOneInsertion) {
    const Sequence& sequence = GetParam();
    VectorRows rows;
    rows.add(sequence.initialRows);
    MessageListModel model;
    model.setSource(&rows);
    QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy insertions(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);

    for (const Report& report : sequence.reports) {
        switch (report.kind) {
        case Report::drop:
            rows.dropFront(report.count);
            model.removedFromFront(report.count);
            break;
        case Report::add:
            rows.add(report.count);
            model.appended(report.count);
            break;
        case Report::clear:
            rows.messages.clear();
            model.reset();
            break;
        case Report::unreportedDrop:
            rows.dropFront(report.count);
            break;
        }
    }
    ASSERT_TRUE(waitFor([&] { return !model.hasPendingChanges(); }));

    if (sequence.removed < 0) {
        EXPECT_EQ(resets.size(), 1);
        EXPECT_EQ(removals.size() + insertions.size(), 0);
    } else {
        EXPECT_EQ(resets.size(), 0);
        ASSERT_EQ(removals.size(), sequence.removed > 0 ? 1 : 0);
        ASSERT_EQ(insertions.size(), sequence.inserted > 0 ? 1 : 0);
        if (sequence.removed > 0) {
            EXPECT_EQ(removals[0][1].toInt(), 0);
            EXPECT_EQ(removals[0][2].toInt(), sequence.removed - 1);
        }
        if (sequence.inserted > 0) {
            EXPECT_EQ(insertions[0][2].toInt() - insertions[0][1].toInt() + 1, sequence.inserted);
        }
    }
    // Every row shows the source's message at that place.
    ASSERT_EQ(static_cast<std::size_t>(model.rowCount()), rows.rowCount());
    for (int row = 0; row < model.rowCount(); ++row)
        EXPECT_EQ(model.messageAt(row), &rows.message(static_cast<std::size_t>(row))) << row;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ModelSequence,
    ::testing::Values(
        Sequence{"appendToEmpty", 0, {{Report::add, 3}}, 0, 3},
        Sequence{"manyBatchesOneInsertion", 10, std::vector<Report>(100, {Report::add, 64}), 0,
                 6400},
        Sequence{"fullBufferBurst", 500,
                 [] {
                     std::vector<Report> reports;
                     for (int i = 0; i < 50; ++i) {
                         reports.push_back({Report::add, 64});
                         reports.push_back({Report::drop, 64});
                     }
                     return reports;
                 }(),
                 500, 500},
        Sequence{"dropsPartOfTheShownRows", 20, {{Report::add, 5}, {Report::drop, 5}}, 5, 5},
        Sequence{"appendedThenDroppedInOneFrame", 4, {{Report::add, 10}, {Report::drop, 12}}, 4, 2},
        Sequence{"dropOnly", 8, {{Report::drop, 3}}, 3, 0},
        Sequence{"clearIsAReset", 8, {{Report::add, 2}, {Report::clear}}, -1, 0},
        Sequence{"reportsThatDoNotAddUpReset",
                 8,
                 {{Report::unreportedDrop, 3}, {Report::add, 1}},
                 -1,
                 0}),
    [](const ::testing::TestParamInfo<Sequence>& row) { return std::string(row.param.name); });

TEST(MessageListModel, RowsKeepTheirMessagesUntilTheFrameIsApplied) {
    VectorRows rows;
    rows.add(5);
    MessageListModel model;
    model.setSource(&rows);
    const MIDIMessage* third = &rows.message(2);
    rows.dropFront(2);
    model.removedFromFront(2);
    rows.add(1);
    model.appended(1);
    // Not yet applied: the old numbering still holds; dropped rows show nothing.
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.messageAt(0), nullptr);
    EXPECT_EQ(model.messageAt(2), third);
    EXPECT_FALSE(model.data(model.index(0), Qt::DisplayRole).isValid());
    model.flush();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.messageAt(0), third);
}

} // namespace
} // namespace umbrascope
