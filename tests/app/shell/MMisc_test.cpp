#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include <gtest/gtest.h>

#include "app/shell/MMisc.h"

TEST(MMisc, NormalizeKWList)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {"", ""},
        {"blue widgets\r\n2005 red widgets\r\n\r\ngadgets",
         "blue widgets\r\nred widgets\r\ngadgets"},
        {"   ", "   "},
        {"2005", "2005"},
        {"  gadgets  ", "gadgets"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"2005 1999", "2005 1999"},        // nothing kept: the text as given
        {"x\r\n2005 1999", "x"},           // a line left empty is dropped
        {"blue  widgets", "blue widgets"}, // runs of blanks
        {"@home #tag Apple", "Apple"},     // "@" is 64: below 65, dropped
        // Invisible characters go before the lines are read; a tab separates words.
        {"2005\tred widgets", "red widgets"},
        {"blue\u200B widgets\r\n\u202Egadgets\uFEFF", "blue widgets\r\ngadgets"},
        {"x\r\n\u200B\u200B\r\ny", "x\r\n\r\ny"}, // as a line of blanks is
    };
    for (const Case& c : cases)
        EXPECT_EQ(MMisc::NormalizeKWList(c.in), c.out) << c.in.toStdString();
}

TEST(MMisc, ClipboardKeywords)
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("blue widgets\n2005 red widgets"));
    EXPECT_EQ(MMisc::GetClipboardKWs(), QStringLiteral("blue widgets\r\nred widgets"));

    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    clipboard->setImage(picture);
    EXPECT_EQ(MMisc::GetClipboardKWs(), QString());
}

TEST(MMisc, PageIndexFromKey)
{
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("Help")), 1);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("Raw")), 2);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("KWs")), 3);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("Groups")), 4);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("Banned")), 5);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("Downloading")), 6);
    EXPECT_EQ(MMisc::PageIndexFromKey(QStringLiteral("kws")), 0);
    EXPECT_EQ(MMisc::PageIndexFromKey(QString()), 0);
}
