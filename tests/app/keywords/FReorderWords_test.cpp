#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "app/keywords/FReorderWords.h"
#include "app/keywords/FReorderWordsL.h"
#include "app/keywords/KWIcons.h"
#include "engine/platform/ZError.h"
#include "tests/app/keywords/KWTestDoubles.h"

namespace {

QStringList lines(const QTreeWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

void pick(QTreeWidget* list, int row)
{
    list->setCurrentItem(list->topLevelItem(row));
}

TEST(FReorderWords, ListsEveryOrderAndPicksOne)
{
    KWIcons icons;
    kwtest::ScriptedServices log;
    FReorderWords dialog;
    dialog.init(&log, QStringLiteral("a b c"), &icons, QStringLiteral("B3"));
    EXPECT_EQ(lines(dialog.lv()),
              (QStringList{"a b c", "a c b", "b a c", "b c a", "c a b", "c b a"}));
    EXPECT_FALSE(dialog.lv()->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(dialog.lv()->headerItem()->text(0), QStringLiteral("Keyword Variants"));
    dialog.show();
    EXPECT_TRUE(dialog.lv()->header()->isVisible());
    dialog.cmdOK()->click(); // nothing selected: stays open, one log entry
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_TRUE(log.logged(QStringLiteral("FReorderWords.cmdOK_Click")));
    pick(dialog.lv(), 3);
    dialog.cmdOK()->click();
    EXPECT_TRUE(dialog.OKPressed());
    EXPECT_EQ(dialog.SelectedOrder(), QStringLiteral("b c a"));
    EXPECT_FALSE(dialog.isVisible());

    FReorderWords four;
    four.init(&log, QStringLiteral("a b c d"), &icons, QStringLiteral("A1"));
    EXPECT_EQ(four.lv()->topLevelItemCount(), 24);
    FReorderWords five;
    five.init(&log, QStringLiteral("a b c d e"), &icons, QStringLiteral("A1"));
    EXPECT_EQ(five.lv()->topLevelItemCount(), 120);
    FReorderWords six;
    EXPECT_THROW(six.init(&log, QStringLiteral("a b c d e f"), &icons, {}), zentrel::ZError);
    EXPECT_EQ(six.lv()->topLevelItemCount(), 0);
}

TEST(FReorderWordsL, MovesWordsByHand)
{
    KWIcons icons;
    FReorderWordsL dialog;
    dialog.init(nullptr, QStringLiteral("a b c d e"), &icons, QStringLiteral("C2"));
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("Result: a b c d e"));
    dialog.MoveUp(); // nothing selected
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("Result: a b c d e"));
    dialog.lv()->setCurrentRow(0);
    dialog.MoveUp();
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("Result: a b c d e"));
    dialog.lv()->setCurrentRow(4);
    dialog.MoveDown();
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("Result: a b c d e"));
    dialog.lv()->setCurrentRow(2);
    dialog.MakeFirst();
    EXPECT_EQ(dialog.ResultText(), QStringLiteral("Result: c a b d e"));
    EXPECT_EQ(dialog.lv()->currentRow(), 0);

    FReorderWordsL last;
    last.init(nullptr, QStringLiteral("a b c d e"), &icons, {});
    last.lv()->setCurrentRow(1);
    last.MakeLast();
    EXPECT_EQ(last.ResultText(), QStringLiteral("Result: a c d e b"));
    EXPECT_EQ(last.lv()->currentRow(), 4);
    last.lv()->setCurrentRow(1);
    last.MoveDown();
    EXPECT_EQ(last.ResultText(), QStringLiteral("Result: a d c e b"));
    last.MoveUp();
    EXPECT_EQ(last.ResultText(), QStringLiteral("Result: a c d e b"));
    last.show();
    last.accept();
    EXPECT_TRUE(last.OKPressed());
    EXPECT_EQ(last.SelectedOrder(), QStringLiteral("a c d e b"));

    // Shown, the list takes the focus and a current line nobody picked: the moves do nothing.
    FReorderWordsL shown;
    shown.show();
    for (const int current : {0, 2, 3}) {
        for (void (FReorderWordsL::*move)() :
             {&FReorderWordsL::MoveDown, &FReorderWordsL::MakeLast, &FReorderWordsL::MoveUp,
              &FReorderWordsL::MakeFirst}) {
            shown.init(nullptr, QStringLiteral("a b c d"), &icons, {});
            shown.lv()->setCurrentRow(current, QItemSelectionModel::NoUpdate);
            (shown.*move)();
            EXPECT_EQ(shown.ResultText(), QStringLiteral("Result: a b c d")) << current;
        }
    }

    FReorderWordsL cancelled;
    cancelled.init(nullptr, QStringLiteral("w x y z"), &icons, {});
    cancelled.lv()->setCurrentRow(3);
    cancelled.MakeFirst();
    cancelled.show();
    cancelled.close();
    EXPECT_FALSE(cancelled.OKPressed());
    EXPECT_FALSE(cancelled.isVisible());
}

} // namespace
