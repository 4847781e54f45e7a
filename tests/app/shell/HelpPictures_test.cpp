#include <QImage>
#include <QSet>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "app/shell/ucHelp.h"

// The pictures of the help page and the user's guide are real pictures (made by
// scripts/make-guide-pictures), not empty boxes or wireframes.
TEST(HelpPictures, EveryPictureIsAPictureWithColours)
{
    for (const char* name : {"c.gif", "vx-workflow.gif", "ug1.gif", "ug2.gif", "ug3.gif", "ug4.gif",
                             "ug5.gif", "ug6.gif"}) {
        const QImage image(QStringLiteral(":/html/") + QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull()) << name;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 24) << name;
        if (QByteArray(name).startsWith("ug") || QByteArray(name).startsWith("vx")) {
            EXPECT_GE(image.width(), 400) << name;
        }
    }
}

TEST(HelpPictures, TheHelpPageShowsTheWorkflowAtItsOwnSize)
{
    ucHelp help;
    const QVariant picture = help.wb()->document()->resource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("qrc:/html/vx-workflow.gif")));
    const QImage image = picture.value<QImage>();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QImage(QStringLiteral(":/html/vx-workflow.gif")).size());
}
