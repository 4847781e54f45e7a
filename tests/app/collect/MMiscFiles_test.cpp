#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/collect/KWTextFile.h"
#include "app/collect/MMisc.h"
#include "app/keywords/FAddKWs.h"
#include "app/shell/MMain.h"
#include "app/shell/MMisc.h"
#include "app/shell/StringTable.h"
#include "app/shell/Tab.h"
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

// Cancels every add dialog that comes up, counting them.
class AddDialogWatch {
public:
    AddDialogWatch()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* dialog = qobject_cast<FAddKWs*>(QApplication::activeModalWidget())) {
                ++m_shown;
                dialog->reject();
            }
        });
        m_timer.start();
    }
    int shown() const { return m_shown; }

private:
    QTimer m_timer;
    int m_shown = 0;
};

// Counts the progress dialogs shown; with cancel, presses Cancel on each once it is up.
class ProgressWatch final : public QObject {
public:
    explicit ProgressWatch(bool cancel)
        : m_cancel(cancel)
    {
        qApp->installEventFilter(this);
    }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    int shown() const { return m_shown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* progress = qobject_cast<QProgressDialog*>(watched);
        if (progress == nullptr || event->type() != QEvent::Show)
            return false;
        ++m_shown;
        if (m_cancel)
            QMetaObject::invokeMethod(progress, &QProgressDialog::cancel, Qt::QueuedConnection);
        return false;
    }

private:
    bool m_cancel;
    int m_shown = 0;
};

// The process's peak resident memory in bytes since resetPeakMemory; -1 when not known.
qint64 peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

bool resetPeakMemory()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

QByteArray letters(int number)
{
    QByteArray word;
    do {
        word.prepend(static_cast<char>('a' + number % 26));
        number /= 26;
    } while (number > 0);
    return word;
}

// Every line a different keyword, in five kinds of line (one of them blank) and with three
// kinds of line break.
QByteArray variedKeywords(int lines)
{
    const char* const breaks[] = {"\r\n", "\n", "\r"};
    QByteArray bytes;
    for (int i = 0; i < lines; ++i) {
        const QByteArray kw = "kw" + letters(i);
        switch (i % 5) {
        case 0:
            bytes += "  " + kw + " alpha  ";
            break;
        case 1:
            bytes += "2005 " + kw + "  beta";
            break;
        case 2:
            bytes += "\r\n" + kw;
            break;
        case 3:
            bytes += kw + " caf\xc3\xa9";
            break;
        default:
            bytes += "   ";
        }
        bytes += breaks[i % 3];
    }
    return bytes;
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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
    EXPECT_TRUE(e.script.shown().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, TypedKeywordsAreStoredAsAReaderSeesThem)
{
    const struct {
        const char* what;
        QString typed;
        QStringList stored;
    } cases[] = {
        {"right-to-left override", QStringLiteral("invoice \u202Efdp.exe"), {"invoice fdp.exe"}},
        {"invisible twin", QStringLiteral("blue widgets\r\nblue\u200B widgets"), {"blue widgets"}},
        {"tab inside", QStringLiteral("red\tgadgets"), {"red gadgets"}},
        {"isolates, marks and a byte-order mark",
         QStringLiteral("\uFEFF\u2067green\u2069 \u200Etools\u200F"),
         {"green tools"}},
        {"control characters", QStringLiteral("grey\u0007 boxes\u001B"), {"grey boxes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        e.db().ProjectDB()->execute(QStringLiteral("DELETE FROM Keyword"));
        collecttest::onActiveModal<FAddKWs>(
            [&](FAddKWs* dialog) { answerAdd(dialog, c.typed, 0); });
        MMisc::AddKeywords(e.log, e.scripting, e.owner);
        EXPECT_EQ(e.keywords(), c.stored);
    }
    EXPECT_TRUE(e.script.shown().isEmpty());
}

TEST_F(MMiscFiles, ARejectedKeywordComesBackAsAReaderSeesIt)
{
    QString shownAgain;
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        answerAdd(dialog, QStringLiteral("ab\u200B\u200B\r\nwhat\u202E?"), 0);
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
            shownAgain = again->Text();
            again->reject();
        });
    });
    MMisc::AddKeywords(e.log, e.scripting, e.owner);
    EXPECT_EQ(shownAgain, QStringLiteral("ab\r\nwhat?\r\n"));
    EXPECT_TRUE(e.keywords().isEmpty());
}

TEST_F(MMiscFiles, PastedKeywordsAreShownAsAReaderSeesThem)
{
    QApplication::clipboard()->setText(
        QStringLiteral("blue\u200B widgets\n2005\tred widgets\n\u202Egadgets"));
    collecttest::onActiveModal<FAddKWs>([](FAddKWs* dialog) {
        EXPECT_EQ(dialog->Text(), QStringLiteral("blue widgets\r\nred widgets\r\ngadgets"));
        dialog->accept();
    });
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.keywords(), (QStringList{"blue widgets", "red widgets", "gadgets"}));
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
              (QStringList{StringTable::format(101, {"2"}), StringTable::format(101, {"1"})}));
    ASSERT_EQ(e.script.shown().size(), 2);
    EXPECT_EQ(e.script.shown().first().style, 48);
    EXPECT_EQ(e.keywords(), (QStringList{"good one", "fine two", "bad one", "what now"}));
    EXPECT_EQ(e.relevancyOf("good one"), 3);
    EXPECT_EQ(e.relevancyOf("what now"), -1);
    // The first pass ranked, so the kept, groups and banned pages are refreshed too.
    EXPECT_EQ(e.owner.refreshed, (QList<int>{Tab::Raw, Tab::KWs, Tab::Groups, Tab::Banned}));
}

TEST_F(MMiscFiles, RefreshFollowsWhetherAnyPassRanked)
{
    const struct {
        const char* name;
        int firstRank; // -1: the first pass is cancelled
        bool correctionOK;
        QList<int> refreshed;
    } cases[] = {
        {"cancelled at once", -1, false, {Tab::Raw}},
        {"unranked, correction cancelled", 0, false, {Tab::Raw}},
        {"ranked, correction cancelled", 4, false, {Tab::Raw, Tab::KWs, Tab::Groups, Tab::Banned}},
        {"ranked, correction unranked", 4, true, {Tab::Raw, Tab::KWs, Tab::Groups, Tab::Banned}},
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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
    EXPECT_TRUE(e.keywords().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

// Only a first paste pass left empty ends without a refresh: a correction pass left empty follows
// a pass that stored keywords.
TEST_F(MMiscFiles, AnEmptyPasteCorrectionPassStillRefreshes)
{
    QApplication::clipboard()->setText(QStringLiteral("good one\nbad#one"));
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        answerAdd(dialog, dialog->Text(), 4);
        collecttest::onActiveModal<FAddKWs>([&](FAddKWs* again) {
            EXPECT_EQ(again->Text(), QStringLiteral("bad#one\r\n"));
            answerAdd(again, QString(), 0);
        });
    });
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.keywords(), QStringList{"good one"});
    EXPECT_EQ(e.owner.refreshed, (QList<int>{Tab::Raw, Tab::KWs, Tab::Groups, Tab::Banned}));
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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
}

TEST_F(MMiscFiles, PasteWithoutTextOnTheClipboardShowsMessage103)
{
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(data);
    MMisc::PasteKWs(e.owner, e.log, e.scripting);
    EXPECT_EQ(e.messages(), QStringList{StringTable::text(103)});
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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});

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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
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
    EXPECT_EQ(e.messages(), (QStringList{StringTable::format(102, {missing}),
                                         StringTable::format(102, {e.home.file("missing.htm")})}));
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
    EXPECT_EQ(e.owner.refreshed, QList<int>{Tab::Raw});
}

TEST_F(MMiscFiles, FilesOverTheLimitAreRefusedUnread)
{
    const struct {
        const char* name;
        qint64 size;
        QString message; // %1: the path
    } cases[] = {
        {"just over.txt", qint64{64} * 1024 * 1024 + 1,
         "The file '%1' is 64.1 MB; files over 64 MB cannot be imported. "},
        {"reported.txt", 1'290'000'000,
         "The file '%1' is 1.3 GB; files over 64 MB cannot be imported. "},

        // A web page may be as large as a downloaded one.
        {"big page.htm", qint64{16} * 1024 * 1024 + 1,
         "The file '%1' is 16.1 MB; files over 16 MB cannot be imported. "},

        // At the limit the file is taken, and then found not to be text.
        {"at limit.txt", qint64{64} * 1024 * 1024,
         "The file '%1' is not a text file, so it cannot be imported. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = e.home.file(QString::fromUtf8(c.name));
        QFile file(path);
        // Sparse: nothing is written.
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(c.size));
        file.close();
        e.script.clear();
        e.script.file(path);
        const AddDialogWatch addDialogs;
        const qint64 before = resetPeakMemory() ? peakMemory() : -1;
        MMisc::ImportKWs(e.log, e.scripting, e.owner);
        // Reading the file whole would take at least its size.
        if (before > 0) {
            EXPECT_LT(peakMemory() - before, qint64{32} * 1024 * 1024);
        }
        EXPECT_EQ(e.messages(), QStringList{c.message.arg(path)});
        EXPECT_EQ(e.script.shown(MsgService::Kind::Message).value(0).style, 48);
        EXPECT_EQ(addDialogs.shown(), 0);
        QFile::remove(path);
    }
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, FilesThatAreNotTextAreRefused)
{
    QByteArray controls;
    for (int i = 0; i < 4096; ++i)
        controls += static_cast<char>(1 + i % 31);
    QByteArray utf16("\xff\xfe");
    for (const char c : QByteArray("blue widgets\r\n"))
        utf16 += QByteArray(1, c) + '\0';
    const struct {
        const char* name;
        QByteArray bytes;
        bool text;
    } cases[] = {
        {"picture.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + "more", false},
        {"controls.txt", controls, false},
        {"utf16.txt", utf16, false},
        {"dos.txt", "blue widgets\r\nred gadgets\r\n\x1a", true},
        {"tabs.txt", "blue\twidgets\f\r\nred gadgets\v", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e.script.clear();
        const QString path = e.writeFile(QString::fromUtf8(c.name), c.bytes);
        e.script.file(path);
        const AddDialogWatch addDialogs;
        MMisc::ImportKWs(e.log, e.scripting, e.owner);
        if (c.text) {
            EXPECT_TRUE(e.messages().isEmpty());
            EXPECT_EQ(addDialogs.shown(), 1);
        } else {
            EXPECT_EQ(e.messages(), QStringList{QStringLiteral("The file '%1' is not a text file, "
                                                               "so it cannot be imported. ")
                                                    .arg(path)});
            EXPECT_EQ(addDialogs.shown(), 0);
        }
    }
    EXPECT_TRUE(e.keywords().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, LargeFilesLoadWholeBehindAProgressDialog)
{
    constexpr int kLines = 200000;
    const QByteArray bytes = variedKeywords(kLines);
    ASSERT_GT(bytes.size(), 2 * 1024 * 1024);
    const QString expected = MMisc::NormalizeKWList(KWTextFile::Decode(bytes));
    e.script.file(e.writeFile(QStringLiteral("large.txt"), bytes));
    const ProgressWatch progress(false);
    QString text;
    zentrel::CKeyedCollection kws;
    collecttest::onActiveModal<FAddKWs>([&](FAddKWs* dialog) {
        EXPECT_TRUE(testsupport::waitUntil([dialog] { return !dialog->isLoading(); },
                                           std::chrono::minutes(2)));
        text = dialog->Text();
        kws = dialog->KWs();
        dialog->reject();
    });
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    EXPECT_EQ(progress.shown(), 1);
    EXPECT_EQ(text, expected);
    // The blank lines go; every other line is a keyword of its own.
    EXPECT_EQ(kws.Count(), kLines / 5 * 4);
    EXPECT_EQ(kws.Item(1).toString(), QStringLiteral("kwa alpha"));
    EXPECT_EQ(kws.Item(2).toString(), QStringLiteral("kwb beta"));
    EXPECT_EQ(kws.Item(4).toString(), QString::fromUtf8("kwd caf\xc3\xa9"));
    EXPECT_EQ(kws.Item(kws.Count()).toString(),
              QStringLiteral("kw") + letters(kLines - 2) + " caf\xc3\xa9");
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, CancellingTheProgressEndsTheImport)
{
    e.script.file(e.writeFile(QStringLiteral("large.txt"), variedKeywords(150000)));
    const ProgressWatch progress(true);
    const AddDialogWatch addDialogs;
    MMisc::ImportKWs(e.log, e.scripting, e.owner);
    EXPECT_EQ(progress.shown(), 1);
    EXPECT_EQ(addDialogs.shown(), 0);
    EXPECT_TRUE(e.messages().isEmpty());
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST_F(MMiscFiles, NormalizingAPieceAtATimeGivesWhatOneCallGives)
{
    const struct {
        const char* name;
        QString text;
    } cases[] = {
        {"empty", QString()},
        {"blanks", QStringLiteral("   ")},
        {"blank ends", QStringLiteral("  \r\n blue  widgets  \r\n   ")},
        {"nothing kept", QStringLiteral("12 34\r\n56 ")},
        {"every break", QStringLiteral("a\rb\nc\r\n\r\nd")},
        {"blank lines at every cut", QStringLiteral("   \r\n").repeated(200000) + "x y"},
        {"nothing kept, long", QStringLiteral("2005 1999\r\n").repeated(60000)},
        {"one long line", QStringLiteral("word ").repeated(100000)},
        {"varied", KWTextFile::Decode(variedKeywords(40000))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KWTextFile::NormalizeKWList(c.text, [](double) { return true; }),
                  MMisc::NormalizeKWList(c.text));
    }
    EXPECT_EQ(KWTextFile::NormalizeKWList(cases[5].text, [](double) { return false; }),
              std::nullopt);
}
