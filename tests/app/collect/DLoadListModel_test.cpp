#include "app/collect/DLoadListModel.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include "engine/platform/ZError.h"
#include "tests/engine/research/QStringPrinter.h"

namespace {

QStringList shown(const DLoadListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row).data().toString();
    return rows;
}

} // namespace

TEST(DLoadListModel, NewestFirstWithNumbers)
{
    DLoadListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int number = 1; number <= 4; ++number)
        model.addFirst(QStringLiteral("http://h/%1").arg(number), number);
    EXPECT_EQ(shown(model), QStringList({"http://h/4", "http://h/3", "http://h/2", "http://h/1"}));
    EXPECT_EQ(model.index(0).data(DLoadListModel::NumberRole).toInt(), 4);
    EXPECT_EQ(model.index(3).data(DLoadListModel::NumberRole).toInt(), 1);

    const struct {
        int number;
        int row;
    } lookups[] = {{4, 0}, {3, 1}, {1, 3}, {0, -1}, {5, -1}};
    for (const auto& l : lookups)
        EXPECT_EQ(model.rowOfNumber(l.number), l.row) << l.number;

    EXPECT_EQ(model.takeRow(model.rowOfNumber(2)), "http://h/2");
    EXPECT_EQ(model.takeRow(model.rowOfNumber(4)), "http://h/4");
    EXPECT_EQ(model.takeRow(7), QString());
    EXPECT_EQ(shown(model), QStringList({"http://h/3", "http://h/1"}));
    EXPECT_EQ(model.rowOfNumber(1), 1);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(DLoadListModel, NumbersOutOfOrderAreStillFound)
{
    // The completed list takes the numbers in the order the downloads end.
    DLoadListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int number : {5, 2, 9, 1})
        model.addFirst(QString::number(number), number);
    for (int number : {5, 2, 9, 1})
        EXPECT_EQ(model.rowAt(model.rowOfNumber(number)).number, number);
    EXPECT_EQ(model.rowOfNumber(3), -1);
}

TEST(DLoadListModel, StartedDownloadsAreNumberedAndFoundByCookie)
{
    DLoadListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.addStarted("a", "http://h/a"), 1);
    EXPECT_EQ(model.addStarted("b", "http://h/b"), 2);
    EXPECT_EQ(model.rowAt(0).cookie, "b");
    EXPECT_EQ(model.numberOfCookie("a"), 1);
    EXPECT_EQ(model.numberOfCookie("c"), std::nullopt);

    try {
        model.addStarted("a", "http://h/again");
        ADD_FAILURE() << "a listed cookie is taken again";
    } catch (const zentrel::ZError& error) {
        EXPECT_EQ(error.number(), zentrel::kInvalidArgument);
        EXPECT_EQ(error.description(), "The cookie 'a' is listed already. ");
    }
    EXPECT_EQ(model.count(), 2);
    EXPECT_EQ(model.runningNumber(), 2);

    EXPECT_EQ(model.takeRow(model.rowOfNumber(1)), "http://h/a");
    EXPECT_EQ(model.numberOfCookie("a"), std::nullopt);
    EXPECT_EQ(model.addStarted("a", "http://h/a"), 3) << "a finished cookie may start again";

    model.forgetCookies();
    EXPECT_EQ(model.numberOfCookie("b"), std::nullopt);
    EXPECT_EQ(model.rowAt(1).cookie, QString());
    EXPECT_EQ(model.count(), 2) << "the rows stay";

    model.clear();
    EXPECT_EQ(model.addStarted("b", "http://h/b"), 4) << "the numbers are never reset";
}
