#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "app/collect/KWTextFile.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/MMain.h"
#include "app/shell/MMisc.h"
#include "app/shell/MStrings.h"
#include "tests/app/collect/CollectFixture.h"
#include "tests/engine/research/QStringPrinter.h"
#include "tests/support/OnModal.h"

using collecttest::Engine;

namespace {

// Sets the dialog's text and rank choice (0: no rank), then presses OK.
void answerAdd(FAddKWs* dialog, const QString& text, int rank)
{
    dialog->setText(text);
    dialog->chkSetRank()->setChecked(rank > 0);
    if (rank > 0)
        dialog->optRank(rank)->setChecked(true);
    dialog->accept();
}

class MMiscFiles : public testing::Test {
protected:
    void SetUp() override
    {
        MMain::DefaultSetRank = false;
        MMain::DefaultRank = 4;
    }
    Engine e;
};

} // namespace

TEST_F(MMiscFiles, AddedKeywordsBecomeCandidatesOfOneManualOperation)
{
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        EXPECT_TRUE(dialog->Text().isEmpty());
        answerAdd(dialog, QStringLiteral("Blue Widgets\r\nred gadgets"), 0);
    });
    MMisc::AddKeywords(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.keywords(), (QStringList{"blue widgets", "red gadgets"}));
    EXPECT_EQ(e.relevancyOf("blue widgets"), -1);
    EXPECT_EQ(e.operations(), QStringList{"Manual Addition"});
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});
    EXPECT_TRUE(e.script.shown().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, RejectedKeywordsComeBackUntilNoneIsRejected)
{
    QStringList boxTexts;
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        answerAdd(dialog, QStringLiteral("good one\r\nbad#one\r\nwhat?\r\nfine two"), 3);
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
            boxTexts << again->Text();
            answerAdd(again, QStringLiteral("bad one\r\nwhat#"), 0);
            collecttest::onActiveModal<FAddKWs>([&](FAddKWs* third) {
                boxTexts << third->Text();
                answerAdd(third, QStringLiteral("what now"), 0);
            });
        });
    });
    MMisc::AddKeywords(e.log, e.scripting, e.owner);
    EXPECT_EQ(boxTexts, (QStringList{"bad#one\r\nwhat?\r\n", "what#\r\n"}));
    EXPECT_EQ(e.messages(),
              (QStringList{MStrings::format(101, {"2"}), MStrings::format(101, {"1"})}));
    ASSERT_EQ(e.script.shown().size(), 2);
    EXPECT_EQ(e.script.shown().first().style, 48);
    EXPECT_EQ(e.keywords(), (QStringList{"good one", "fine two", "bad one", "what now"}));
    EXPECT_EQ(e.relevancyOf("good one"), 3);
    EXPECT_EQ(e.relevancyOf("what now"), -1);
    // The first pass ranked, so the kept, groups and banned pages are refreshed too.
    EXPECT_EQ(e.owner.refreshed, (QList<int>{2, 3, 4, 5}));
}

TEST_F(MMiscFiles, RefreshFollowsWhetherAnyPassRanked)
{
    const struct {
        const char* name;
        int firstRank; // -1: the first pass is cancelled
        bool correctionOK;
        QList<int> refreshed;
    } cases[] = {
        {"cancelled at once", -1, false, {2}},
        {"unranked, correction cancelled", 0, false, {2}},
        {"ranked, correction cancelled", 4, false, {2, 3, 4, 5}},
        {"ranked, correction unranked", 4, true, {2, 3, 4, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e.owner.refreshed.clear();
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
            if (c.firstRank < 0) {
                dialog->reject();
                return;
            }
            answerAdd(dialog, QStringLiteral("x#y"), c.firstRank);
            collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
                if (c.correctionOK)
                    answerAdd(again, QStringLiteral("x y"), 0);
                else
                    again->reject();
            });
        });
        MMisc::AddKeywords(e.log, e.scripting, e.owner);
        EXPECT_EQ(e.owner.refreshed, c.refreshed);
    }
}

TEST_F(MMiscFiles, EmptyOkStoresNothingWhenPastingButRefreshesWhenTyping)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted keyword"));
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        EXPECT_EQ(dialog->Text(), QStringLiteral("pasted keyword"));
        answerAdd(dialog, QString(), 0);
    });
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
    EXPECT_TRUE(e.operations().isEmpty());

    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) { answerAdd(dialog, QString(), 0); });
    MMisc::AddKeywords(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});
    EXPECT_TRUE(e.keywords().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, PasteTakesTheClipboardsKeywords)
{
    QApplication::clipboard()->setText(QStringLiteral("blue widgets\n2005 red widgets\n\ngadgets"));
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        EXPECT_EQ(dialog->Text(), QStringLiteral("blue widgets\r\nred widgets\r\ngadgets"));
        dialog->accept();
    });
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.keywords(), (QStringList{"blue widgets", "red widgets", "gadgets"}));
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});
}

TEST_F(MMiscFiles, PasteWithoutTextOnTheClipboardShowsMessage103)
{
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(data);
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.messages(), QStringList{MStrings::text(103)});
    EXPECT_EQ(e.script.shown().first().style, 48);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
}

TEST_F(MMiscFiles, TextFilesKeepTheirAccentsInEveryEncoding)
{
    const QString accented = QString::fromUtf8("caf\xc3\xa9 cr\xc3\xa8me");
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"utf8.txt", accented.toUtf8()},
        {"bom.txt", "\xef\xbb\xbf" + accented.toUtf8()},
        {"cp1252.txt", QByteArray("caf\xe9 cr\xe8me")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KWTextFile::Decode(c.bytes), accented);
    }
    EXPECT_EQ(KWTextFile::Decode(QByteArray("\x93quoted\x94 \x80")),
              QString::fromUtf8("\xe2\x80\x9cquoted\xe2\x80\x9d \xe2\x82\xac"));

    e.script.file(e.writeFile("bom.txt", "\xef\xbb\xbf" + accented.toUtf8() + "\r\n12 xyz"));
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        EXPECT_EQ(dialog->Text(), accented + QStringLiteral("\r\nxyz"));
        dialog->accept();
    });
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.keywords(), (QStringList{accented, "xyz"}));
    const auto files = e.script.shown(MsgService::Kind::OpenFile);
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().title, QStringLiteral("Import Keywords"));
    EXPECT_EQ(files.first().filter, QStringLiteral("Text Document (*.txt)|*.txt|Web Page (*.htm, "
                                                   "*.html)|*.htm*|All Files (*.*)|*.*"));
}

TEST_F(MMiscFiles, PageFilesAreReadForTheirMetaKeywords)
{
    QByteArray page =
        "<html><head><meta name=\"keywords\" content=\"page word, other phrase\"></head></html>";
    // ".HTM" in capitals is a page; ".html5" is keyword text.
    e.script.file(e.writeFile("Local.HTM", page));
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.keywords(), (QStringList{"page word", "other phrase"}));
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});

    e.script.file(e.writeFile("list.html5", "one keyword\r\nanother keyword"));
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        EXPECT_EQ(dialog->Text(), QStringLiteral("one keyword\r\nanother keyword"));
        dialog->reject();
    });
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    EXPECT_EQ(e.keywords().size(), 2);

    e.owner.refreshed.clear();
    e.script.file(e.writeFile("other.html", page.replace("page word", "local word")));
    MMisc::ImportFromLocalPage(e.owner, e.log, e.scripting);
    EXPECT_TRUE(e.keywords().contains("local word"));
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});
    const auto files = e.script.shown(MsgService::Kind::OpenFile);
    EXPECT_EQ(files.last().title, QStringLiteral("Import Keywords from Local Page"));
    EXPECT_EQ(files.last().filter, QStringLiteral("Web Page (*.htm, *.html)|*.htm*"));
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, CancelEndsSilentlyAndAMissingFileShowsMessage102)
{
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    MMisc::ImportFromLocalPage(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.script.shown(MsgService::Kind::Message).size(), 0);

    const QString missing = e.home.file("missing.txt");
    e.script.file(missing);
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    e.script.file(e.home.file("missing.htm"));
    MMisc::ImportFromLocalPage(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.messages(), (QStringList{MStrings::format(102, {missing}),
                                         MStrings::format(102, {e.home.file("missing.htm")})}));
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, StoreFailureIsLoggedOnceUnderTheCommandsNameAndShown)
{
    e.db().ProjectDB()->execute(QStringLiteral("DROP TABLE KeywordOperation"));
    QString textAgain;
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        answerAdd(dialog, QStringLiteral("some keyword"), 0);
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
            textAgain = again->Text();
            again->reject();
        });
    });
    MMisc::AddKeywords(e.log, e.scripting, e.owner);
    QStringList sources = e.logSources();
    sources.removeIf([](const QString& source) { return !source.startsWith("MMisc."); });
    EXPECT_EQ(sources, QStringList{"MMisc.AddKeywords"});
    ASSERT_EQ(e.messages().size(), 1);
    EXPECT_TRUE(e.messages().first().startsWith("Cannot store the keywords. "));
    EXPECT_EQ(textAgain, QStringLiteral("some keyword"));
    // Cancelled afterwards, as in a first pass.
    EXPECT_EQ(e.owner.refreshed, QList<int>{2});
}
