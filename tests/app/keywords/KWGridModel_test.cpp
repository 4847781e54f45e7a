#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWIcons.h"

namespace {

class KWGridModelTest : public testing::Test {
protected:
    KWIcons icons;
    KWGridModel model{&icons};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QItemSelectionModel selection{&model};

    QStringList keywords() const
    {
        QStringList list;
        for (int r = 0; r < model.rowCount(); ++r)
            list << model.rowAt(r).keyword;
        return list;
    }
    QSet<int> selectedIds() const
    {
        QSet<int> ids;
        for (const QModelIndex& index : selection.selectedRows())
            ids.insert(model.rowAt(index.row()).id);
        return ids;
    }
    void select(int id)
    {
        selection.select(model.index(model.rowOfId(id), 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void refresh(const KWRecords& records, int cap = 32000)
    {
        const QList<int> again = model.refresh(records, cap, selectedIds());
        for (const int id : again)
            select(id);
    }
};

KWRecords sample()
{
    return {{1, "low", 10, 1},     {2, "high", 5000, 5}, {3, "mid", 300, 3},
            {4, "unknown", -1, 2}, {5, "zero", 0, 1},    {6, "mid twin", 300, 3}};
}

TEST_F(KWGridModelTest, RowsSortByScoreTextHighestFirstTiesInStoreOrder)
{
    refresh(sample());
    EXPECT_EQ(keywords(), (QStringList{"high", "mid", "mid twin", "low", "unknown", "zero"}));
    EXPECT_EQ(model.rowAt(0).key(), QStringLiteral("2_"));
    EXPECT_EQ(model.rowOfId(5), 5);
    const QModelIndex searches = model.index(0, KWGridModel::Searches);
    EXPECT_EQ(searches.data().toString(), QStringLiteral("166.7"));
    EXPECT_EQ(model.index(4, KWGridModel::Searches).data().toString(), QStringLiteral(" "));
    EXPECT_EQ(model.index(0, KWGridModel::Relevancy).data().toString(),
              QStringLiteral("The Best!"));
    EXPECT_EQ(model.index(0, KWGridModel::Score).data().toString(), QStringLiteral("  7.7"));
    EXPECT_FALSE(
        model.index(0, KWGridModel::Keyword).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Searches/day"));
}

TEST_F(KWGridModelTest, RefreshKeepsUnchangedRowsAndTheSelection)
{
    refresh(sample());
    select(3); // mid: its relevancy changes, its score text does not
    select(1); // low: its score text changes
    select(6);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    KWRecords next = sample();
    next[0].searches = 100000;        // low: new score, moves to the top
    next[2].relevancy = 3;            // mid unchanged
    next.erase(next.begin() + 4);     // zero goes
    next.push_back({7, "new", 2, 4}); // arrives
    next[1].searches = 5100;          // high: same score text, new searches text
    refresh(next);

    EXPECT_EQ(keywords(), (QStringList{"high", "low", "mid", "mid twin", "new", "unknown"}));
    EXPECT_EQ(selectedIds(), (QSet<int>{1, 3, 6}));
    EXPECT_EQ(changed.count(), 1); // one merged change
    EXPECT_EQ(model.index(0, KWGridModel::Searches).data().toString(), QStringLiteral("170.0"));
    EXPECT_GE(inserted.count(), 1);
    EXPECT_GE(removed.count(), 1);
    EXPECT_EQ(model.rowOfId(7), 4);
    EXPECT_EQ(model.rowOfId(5), -1);
}

TEST_F(KWGridModelTest, RelevancyChangeWithEqualScoreTextUpdatesInPlace)
{
    // Relevancy 1 with 0 searches and a candidate with 0 searches both show five blanks.
    refresh({{1, "a", 0, -1}, {2, "b", 0, -1}});
    select(2);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    refresh({{1, "a", 0, -1}, {2, "b", 0, 1}});
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(model.index(1, KWGridModel::Relevancy).data().toString(),
              QStringLiteral("Who Knows?"));
    EXPECT_EQ(model.rowAt(1).iconKey, QStringLiteral("A1"));
    EXPECT_EQ(selectedIds(), QSet<int>{2});
}

TEST_F(KWGridModelTest, CapLimitsTheRowsAndEmptyResultClears)
{
    KWRecords many;
    for (int i = 1; i <= 50; ++i)
        many.push_back({i, QStringLiteral("kw %1").arg(i), i, 1});
    refresh(many, 20);
    EXPECT_EQ(model.rowCount(), 20);
    EXPECT_EQ(model.rowOfId(21), -1); // the result's first rows are kept
    refresh(many, 20);
    EXPECT_EQ(model.rowCount(), 20);
    refresh({}, 20);
    EXPECT_EQ(model.rowCount(), 0);
    refresh(many, 20);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.rowOfId(1), -1);
}

TEST_F(KWGridModelTest, ScatteredChangesStaySorted)
{
    KWRecords records;
    for (int i = 1; i <= 500; ++i)
        records.push_back({i, QStringLiteral("kw %1").arg(i), (i * 37) % 3000, 1 + i % 5});
    refresh(records);
    for (std::size_t i = 0; i < records.size(); i += 7)
        records[i].relevancy = 1 + (records[i].relevancy + 1) % 5;
    refresh(records);
    ASSERT_EQ(model.rowCount(), 500);
    for (int r = 1; r < model.rowCount(); ++r)
        EXPECT_GE(model.rowAt(r - 1).scoreText, model.rowAt(r).scoreText) << r;
    for (int r = 0; r < model.rowCount(); ++r)
        EXPECT_EQ(model.rowOfId(model.rowAt(r).id), r);
}

TEST_F(KWGridModelTest, KeywordTextCanBeRewritten)
{
    refresh(sample());
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setKeywordText(0, QStringLiteral("hgih"));
    EXPECT_EQ(model.rowAt(0).keyword, QStringLiteral("hgih"));
    EXPECT_EQ(changed.count(), 1);
}

TEST(KWIcons, ThirtySixDistinctIcons)
{
    KWIcons icons;
    const QStringList keys = KWIcons::Keys();
    ASSERT_EQ(keys.size(), 36);
    EXPECT_EQ(keys.first(), QStringLiteral("A0"));
    EXPECT_EQ(keys[4], QStringLiteral("E0"));
    EXPECT_EQ(keys[5], QStringLiteral("A1"));
    EXPECT_EQ(keys[29], QStringLiteral("E5"));
    EXPECT_EQ(keys[30], QStringLiteral("Z0"));
    QSet<QByteArray> images;
    for (const QString& key : keys) {
        const QImage image = icons.pixmap(key).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << key.toStdString();
        images.insert(
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(images.size(), 36);
    EXPECT_TRUE(icons.icon(QString()).isNull());
}

} // namespace
