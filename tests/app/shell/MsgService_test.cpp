#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/shell/FSingleTimeMsg.h"
#include "app/shell/InputBox.h"
#include "app/shell/MMisc.h"
#include "app/shell/MsgScript.h"
#include "app/shell/MsgService.h"
#include "tests/support/OnModal.h"
#include "tests/support/TestSupport.h"

using testsupport::onModal;

namespace {

// Chooses path in a QFileDialog drawn by Qt and presses Open. selectFile does not touch the
// file-name box while the box has the keyboard focus (it would overwrite what is being typed),
// and the box takes the focus once the dialog is active; Open with the box empty then only
// enters the folder and the dialog stays up. So the focus leaves the box first.
void chooseFile(QFileDialog* dialog, const QString& path)
{
    if (QWidget* focused = dialog->focusWidget())
        focused->clearFocus();
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
}

} // namespace

TEST(MsgService, EscapeAnswerIsCancelElseNoElseAbortElseOK)
{
    EXPECT_EQ(MsgService::escapeButton(16), MsgService::OK);
    EXPECT_EQ(MsgService::escapeButton(48), MsgService::OK);
    EXPECT_EQ(MsgService::escapeButton(49), MsgService::Cancel);
    EXPECT_EQ(MsgService::escapeButton(50), MsgService::Abort);
    EXPECT_EQ(MsgService::escapeButton(52), MsgService::No);
    EXPECT_EQ(MsgService::escapeButton(53), MsgService::Cancel);
    EXPECT_EQ(MsgService::escapeButton(64), MsgService::OK);
    EXPECT_EQ(MsgService::buttonsOf(50),
              (QList<int>{MsgService::Abort, MsgService::Retry, MsgService::Ignore}));
}

TEST(MsgService, ScriptAnswersAndRecords)
{
    MsgScript script;
    script.answer(MsgService::Retry);
    EXPECT_EQ(MMisc::ShowMsg(QStringLiteral("a"), 50), MsgService::Retry);
    EXPECT_EQ(MMisc::ShowMsg(QStringLiteral("b"), 53, QStringLiteral("T")), MsgService::Cancel);
    script.input(QStringLiteral("typed"));
    EXPECT_EQ(MMisc::AskInput(QStringLiteral("c")), QStringLiteral("typed"));
    EXPECT_EQ(MMisc::AskInput(QStringLiteral("d")), QString());
    ASSERT_EQ(script.shown().size(), 4);
    EXPECT_EQ(script.shown().at(0).title, QStringLiteral("Quintara Keywords"));
    EXPECT_EQ(script.shown().at(0).style, 50);
    EXPECT_EQ(script.shown().at(1).title, QStringLiteral("T"));
    EXPECT_EQ(script.shown().at(2).title, QStringLiteral("Quintara Keywords"));
    EXPECT_EQ(script.prompts(), (QStringList{"a", "b", "c", "d"}));
}

TEST(MsgService, FilterBecomesQtFilter)
{
    EXPECT_EQ(MsgService::qtFilter(QStringLiteral("Project (*.vxp)|*.vxp")),
              QStringLiteral("Project (*.vxp)"));
    EXPECT_EQ(MsgService::qtFilter(QStringLiteral("Text|*.txt|All (*.*)|*.*")),
              QStringLiteral("Text (*.txt);;All (*.*)"));
}

TEST(MsgService, RealBoxShowsPlainTextUnderTheDefaultTitle)
{
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    onModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(MsgService::showMsg(nullptr, QStringLiteral("<b>kw</b>"), 50), MsgService::Retry);
    EXPECT_EQ(title, QStringLiteral("Quintara Keywords"));
    EXPECT_EQ(text, QStringLiteral("<b>kw</b>"));
    EXPECT_EQ(format, Qt::PlainText);
}

TEST(MsgService, RealBoxEscapeGivesTheEscapeAnswer)
{
    for (const int style : {49, 50, 52, 53, 16}) {
        onModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(MsgService::showMsg(nullptr, QStringLiteral("x"), style),
                  MsgService::escapeButton(style))
            << style;
    }
}

TEST(MsgService, RealBoxCloseGivesTheEscapeAnswer)
{
    onModal<QMessageBox>([](QMessageBox* box) { box->close(); });
    EXPECT_EQ(MsgService::showMsg(nullptr, QStringLiteral("x"), 52), MsgService::No);
}

TEST(MsgService, RealInputBoxReturnsTextOrEmptyOnCancel)
{
    QString prompt;
    onModal<InputBox>([&](InputBox* box) {
        prompt = box->lblPrompt()->text();
        EXPECT_EQ(box->lblPrompt()->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quintara Keywords"));
        box->txtValue()->setText(QStringLiteral("red widgets"));
        box->accept();
    });
    EXPECT_EQ(MsgService::askInput(nullptr, QStringLiteral("Type keyword.")),
              QStringLiteral("red widgets"));
    EXPECT_EQ(prompt, QStringLiteral("Type keyword."));

    onModal<InputBox>([](InputBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(MsgService::askInput(nullptr, QStringLiteral("p"), {}, QStringLiteral("def")),
              QString());
}

TEST(MsgService, RealOpenDialogAcceptsANameThatDoesNotExist)
{
    const QString wanted = QDir::temp().filePath(QStringLiteral("no-such-project-4711.vxp"));
    onModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("File New Project"));
        // Answered as the user meets it: active, with the keyboard in its file-name box.
        testsupport::waitUntil([dialog] { return dialog->isActiveWindow(); });
        chooseFile(dialog, wanted);
    });
    EXPECT_EQ(MsgService::openFileName(nullptr, QStringLiteral("File New Project"),
                                       QStringLiteral("Project (*.vxp)|*.vxp"), QDir::tempPath()),
              wanted);
}

TEST(FSingleTimeMsg, CloseBoxHidesAndKeepsTheCheckBox)
{
    FSingleTimeMsg form;
    EXPECT_EQ(form.chkDontShowAgain()->text(), QStringLiteral("Do not show this message again. "));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quintara Keywords"));
    onModal<FSingleTimeMsg>([](FSingleTimeMsg* shown) {
        shown->chkDontShowAgain()->setChecked(true);
        shown->close();
    });
    form.exec();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.chkDontShowAgain()->isChecked());

    onModal<FSingleTimeMsg>([](FSingleTimeMsg* shown) { shown->cmdOK()->click(); });
    form.exec();
    EXPECT_FALSE(form.isVisible());
}

TEST(FSingleTimeMsg, ServiceReturnsTheCheckBox)
{
    onModal<FSingleTimeMsg>([](FSingleTimeMsg* shown) {
        EXPECT_EQ(shown->lblMessage()->text(), QStringLiteral("moved <i>"));
        shown->chkDontShowAgain()->setChecked(true);
        shown->cmdOK()->click();
    });
    EXPECT_TRUE(MsgService::showSingleTime(nullptr, QStringLiteral("moved <i>")));

    MsgScript script;
    script.singleTime(true);
    EXPECT_TRUE(MsgService::showSingleTime(nullptr, QStringLiteral("x")));
    EXPECT_FALSE(MsgService::showSingleTime(nullptr, QStringLiteral("y")));
}
