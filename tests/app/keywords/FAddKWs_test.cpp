#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/keywords/FAddKWs.h"
#include "app/shell/MMain.h"

namespace {

class FAddKWsTest : public testing::Test {
protected:
    void SetUp() override
    {
        MMain::DefaultSetRank = true;
        MMain::DefaultRank = 4;
    }
};

QStringList items(const zentrel::CKeyedCollection& kws)
{
    QStringList list;
    for (const QVariant& item : kws)
        list << item.toString();
    return list;
}

TEST_F(FAddKWsTest, LineCountAndOkState)
{
    FAddKWs dialog;
    dialog.init(nullptr, QString());
    dialog.show();
    EXPECT_FALSE(dialog.cmdOK()->isEnabled());
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 0 Lines."));
    dialog.setText(QStringLiteral("a\r\n"));
    EXPECT_TRUE(dialog.cmdOK()->isEnabled());
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 2 Lines."));
    EXPECT_EQ(dialog.Text(), QStringLiteral("a\r\n"));
    dialog.setText(QStringLiteral("a\r\n\r\nb"));
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 3 Lines."));
    dialog.setText(QString());
    EXPECT_EQ(dialog.statusText(), QStringLiteral("Total 0 Lines."));
    EXPECT_FALSE(dialog.cmdOK()->isEnabled());
}

TEST_F(FAddKWsTest, KeywordsOncePerLineWithSingleBlanks)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("blue  widgets\r\n\r\n\r\nred   gadgets\r\nblue widgets\r\n"
                                        " spaced \r\nBlue Widgets"));
    EXPECT_EQ(items(dialog.KWs()), (QStringList{"blue widgets", "red gadgets", " spaced "}));
}

TEST_F(FAddKWsTest, RankChoiceCarriesOverAfterOkOnly)
{
    {
        FAddKWs dialog;
        dialog.init(nullptr, QStringLiteral("kw"));
        dialog.show();
        EXPECT_TRUE(dialog.SetRank());
        EXPECT_EQ(dialog.SelectedRank(), 4);
        dialog.chkSetRank()->click();
        EXPECT_FALSE(dialog.SetRank());
        EXPECT_FALSE(dialog.optRank(2)->isEnabled());
        dialog.optRank(2)->setChecked(true);
        EXPECT_EQ(dialog.SelectedRank(), 2); // still reported while disabled
        dialog.cmdOK()->click();
        EXPECT_TRUE(dialog.OKPressed());
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_FALSE(MMain::DefaultSetRank);
    EXPECT_EQ(MMain::DefaultRank, 2);
    {
        FAddKWs dialog;
        dialog.init(nullptr, QStringLiteral("kw"));
        dialog.show();
        EXPECT_FALSE(dialog.chkSetRank()->isChecked());
        EXPECT_FALSE(dialog.optRank(5)->isEnabled());
        EXPECT_TRUE(dialog.optRank(2)->isChecked());
        dialog.chkSetRank()->click();
        dialog.optRank(5)->setChecked(true);
        dialog.reject();
        EXPECT_FALSE(dialog.OKPressed());
    }
    EXPECT_FALSE(MMain::DefaultSetRank);
    EXPECT_EQ(MMain::DefaultRank, 2);
}

TEST_F(FAddKWsTest, ShownAgainRestoresTheChoiceAndClosingCancels)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("kw"));
    dialog.show();
    dialog.optRank(1)->setChecked(true);
    dialog.accept();
    dialog.setText(QStringLiteral("rejected one"));
    dialog.show();
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_TRUE(dialog.optRank(1)->isChecked());
    dialog.close();
    EXPECT_FALSE(dialog.OKPressed());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_GE(dialog.minimumWidth(), 5175 / 15);
    EXPECT_GE(dialog.minimumHeight(), 4605 / 15);
}

TEST_F(FAddKWsTest, PasteTakesTheClipboardKeywords)
{
    FAddKWs dialog;
    dialog.init(nullptr, QStringLiteral("old"));
    QApplication::clipboard()->setText(QStringLiteral("blue widgets\n2005 red widgets\n\ngadgets"));
    dialog.cmdPaste()->click();
    EXPECT_EQ(dialog.Text(), QStringLiteral("blue widgets\r\nred widgets\r\ngadgets"));
    QApplication::clipboard()->clear();
    dialog.cmdPaste()->click();
    EXPECT_EQ(dialog.Text(), QString());
}

} // namespace
