#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/collect/FImportFromCache.h"
#include "app/collect/FMoveToGroup.h"
#include "app/collect/GroupPickMemory.h"
#include "app/feedback/FAskQuestion.h"
#include "app/feedback/FMakeSuggestion.h"
#include "app/feedback/FReportBug.h"
#include "app/feedback/FSendInfo.h"
#include "app/feedback/FSendTestimonial.h"
#include "app/keywords/FAddKWs.h"
#include "app/keywords/FExportParams.h"
#include "app/keywords/FReorderWords.h"
#include "app/keywords/FReorderWordsL.h"
#include "app/keywords/TextLinesView.h"
#include "app/shell/FAbout.h"
#include "app/shell/FSingleTimeMsg.h"
#include "app/shell/InputBox.h"
#include "app/shell/MMain.h"
#include "app/shell/MsgScript.h"
#include "tests/app/keywords/KWProjectFixture.h"
#include "tests/app/keywords/KWTestDoubles.h"

namespace {

// A widget as the user tells it: its control name, else its caption or its label's.
QString nameOf(const QWidget* widget)
{
    if (widget == nullptr)
        return QStringLiteral("(nothing)");
    if (!widget->objectName().isEmpty())
        return widget->objectName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().remove(QLatin1Char('&')).trimmed();
    for (const QLabel* label : widget->window()->findChildren<QLabel*>()) {
        if (label->buddy() == widget)
            return label->text().remove(QLatin1Char('&')).trimmed();
    }
    return QString::fromLatin1(widget->metaObject()->className());
}

// Shows the dialog and walks it with Tab from the widget that has the focus once it is up,
// until the focus comes back there: the widgets in the order visited, the first one first; a
// null entry ends a walk that does not come back.
std::vector<QWidget*> tabWalk(QDialog& dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    if (!QTest::qWaitForWindowActive(&dialog))
        return {nullptr};
    QWidget* const first = QApplication::focusWidget();
    std::vector<QWidget*> walked{first};
    for (QWidget* current = first; current != nullptr && walked.size() <= 40;) {
        QTest::keyClick(current, Qt::Key_Tab);
        QWidget* const next = QApplication::focusWidget();
        if (next == first)
            return walked;
        if (next == current)
            break; // Tab stays where it is
        walked.push_back(next);
        current = next;
    }
    walked.push_back(nullptr);
    return walked;
}

QStringList namesOf(const std::vector<QWidget*>& widgets)
{
    QStringList names;
    for (const QWidget* widget : widgets)
        names << nameOf(widget);
    return names;
}

// The buttons that Enter in each widget presses, the pressed ones by name.
QStringList buttonsPressedByEnter(QDialog& dialog, const std::vector<QWidget*>& fields)
{
    QStringList pressed;
    const QObject listening;
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        QObject::connect(button, &QPushButton::clicked, &listening,
                         [&pressed, button] { pressed << nameOf(button); });
    for (QWidget* field : fields) {
        if (field != nullptr && dialog.isVisible()) {
            field->setFocus();
            QTest::keyClick(field, Qt::Key_Return);
        }
    }
    return pressed;
}

using Visit = std::function<void(QDialog&)>;

struct Case {
    const char* dialog;
    // Builds the dialog as its caller does and hands it to visit while it is up.
    std::function<void(const Visit&)> open;
    QStringList order; // the first widget first, the buttons last
    // The multi-line box, where Enter starts a new line; Enter in no field of its dialog presses
    // a button.
    const char* multiLine = nullptr;
    // Otherwise the button that Enter in the first widget presses, if any.
    const char* enterPresses = nullptr;
};

template <class T> std::function<void(const Visit&)> plain()
{
    return [](const Visit& visit) {
        T dialog;
        visit(dialog);
    };
}

// The group picker as ShowPicker shows it, over a project with one group.
std::function<void(const Visit&)> picker(bool pickRank, bool moveGroupMode)
{
    return [pickRank, moveGroupMode](const Visit& visit) {
        kwtest::Project project;
        project.db->AddGroup(QStringLiteral("fruit"));
        kwtest::ScriptedServices services;
        services.onDialog = [&visit](QDialog& dialog) {
            visit(dialog);
            dialog.reject();
        };
        GroupPickMemory memory;
        FMoveToGroup dialog;
        dialog.tv()->setObjectName(QStringLiteral("tv"));
        dialog.init(&services, project.db.get(), &memory);
        int picked = 0;
        int rank = 0;
        dialog.ShowPicker(QStringLiteral("Move"), QStringLiteral("Group:"), pickRank, picked,
                          moveGroupMode, 0, &rank);
    };
}

std::vector<Case> cases()
{
    const QStringList feedbackButtons{QStringLiteral("Send"), QStringLiteral("Cancel")};
    return {
        {"FAskQuestion", plain<FAskQuestion>(),
         QStringList{"txtName", "txtEmail", "txtQuestion"} + feedbackButtons, "txtQuestion"},
        {"FMakeSuggestion", plain<FMakeSuggestion>(),
         QStringList{"txtName", "txtEmail", "txtSuggestion"} + feedbackButtons, "txtSuggestion"},
        {"FReportBug", plain<FReportBug>(),
         QStringList{"txtName", "txtEmail", "txtBug"} + feedbackButtons, "txtBug"},
        {"FSendTestimonial", plain<FSendTestimonial>(),
         QStringList{"txtName", "txtEmail", "txtLocation", "txtTestimonial", "chkAgree"} +
             feedbackButtons,
         "txtTestimonial"},
        {"FSendInfo", plain<FSendInfo>(), QStringList{"txtReason"} + feedbackButtons, "txtReason"},
        {"FAddKWs",
         [](const Visit& visit) {
             FAddKWs dialog;
             dialog.txtKWs()->setObjectName(QStringLiteral("txtKWs"));
             dialog.init(nullptr, QStringLiteral("blue widgets"));
             visit(dialog);
         },
         {"txtKWs", "Set rank for added keywords to:", "Who Knows?", "Paste", "OK", "Cancel"},
         "txtKWs"},
        {"FExportParams",
         [](const Visit& visit) {
             kwtest::ScriptedServices services;
             FExportParams dialog(&services);
             dialog.txtCustomDelimiter()->setObjectName(QStringLiteral("txtCustomDelimiter"));
             dialog.txtPreview()->setObjectName(QStringLiteral("txtPreview"));
             dialog.init({{QStringLiteral("blue"), QStringLiteral("1.0"), QString(),
                           QStringLiteral("  1.0")}},
                         &services, QStringLiteral("p.vxp"));
             visit(dialog);
         },
         {"Keyword", "Searches Count", "Relevancy", "Score", "First Row Contains Field Names",
          "Tab", "txtCustomDelimiter", "Text Qualifier:", "txtPreview", "OK", "Cancel", "Copy",
          "Report"},
         nullptr,
         "OK"},
        {"FReorderWords",
         [](const Visit& visit) {
             FReorderWords dialog;
             dialog.init(nullptr, QStringLiteral("a b c"), nullptr, QString());
             visit(dialog);
         },
         {"Select good word order:", "OK", "Cancel"},
         nullptr,
         "OK"},
        {"FReorderWordsL",
         [](const Visit& visit) {
             FReorderWordsL dialog;
             dialog.init(nullptr, QStringLiteral("a b c d"), nullptr, QString());
             visit(dialog);
         },
         {"Select good word order:", "Make First", "Move Up", "Move Down", "Make Last", "OK",
          "Cancel"},
         nullptr,
         "OK"},
        {"FImportFromCache",
         [](const Visit& visit) {
             FImportFromCache dialog;
             dialog.lvCache()->setObjectName(QStringLiteral("lvCache"));
             dialog.lvSelected()->setObjectName(QStringLiteral("lvSelected"));
             visit(dialog);
         },
         {"Filter:", "Apply", "Include Banned Keywords", "lvCache", "Select All", "Clear All",
          "Pick ->", "<- Undo", "lvSelected", "OK", "Cancel"}},
        // OK waits for a rank, so neither Tab nor Enter reaches it yet.
        {"FMoveToGroup with rank", picker(true, false), QStringList{"tv", "Who Knows?", "Cancel"},
         nullptr, nullptr},
        {"FMoveToGroup moving a group",
         picker(false, true),
         {"tv", "Move to Root", "OK", "Cancel"},
         nullptr,
         "OK"},
        {"InputBox",
         [](const Visit& visit) {
             InputBox dialog;
             dialog.txtValue()->setObjectName(QStringLiteral("txtValue"));
             dialog.init(QStringLiteral("Quintara Keywords"), QStringLiteral("Name:"),
                         QStringLiteral("fruit"));
             visit(dialog);
         },
         {"txtValue", "OK", "Cancel"},
         nullptr,
         "OK"},
        {"FAbout", plain<FAbout>(), {"OK"}, nullptr, "OK"},
        {"FSingleTimeMsg",
         plain<FSingleTimeMsg>(),
         {"Do not show this message again.", "OK"},
         nullptr,
         "OK"},
    };
}

} // namespace

TEST(DialogFocus, EveryDialogOpensInItsFirstFieldAndTabWalksInReadingOrder)
{
    MsgScript script;
    MMain::DefaultSetRank = true;
    MMain::DefaultRank = 4;
    for (const Case& c : cases()) {
        QStringList walked;
        QStringList pressed;
        QString multiLineText;
        c.open([&](QDialog& dialog) {
            const std::vector<QWidget*> chain = tabWalk(dialog);
            walked = namesOf(chain);
            if (c.multiLine == nullptr) {
                pressed = buttonsPressedByEnter(dialog, {chain.front()});
                return;
            }
            std::vector<QWidget*> fields;
            std::copy_if(chain.begin(), chain.end(), std::back_inserter(fields),
                         [](QWidget* w) { return qobject_cast<QPushButton*>(w) == nullptr; });
            pressed = buttonsPressedByEnter(dialog, fields);
            if (const auto* box = dialog.findChild<QPlainTextEdit*>(QLatin1String(c.multiLine)))
                multiLineText = box->toPlainText();
        });
        EXPECT_EQ(walked, c.order) << c.dialog;
        if (c.multiLine != nullptr) {
            EXPECT_EQ(pressed, QStringList()) << c.dialog << ": Enter in a field";
            EXPECT_TRUE(multiLineText.contains(QLatin1Char('\n')))
                << c.dialog << ": Enter in " << c.multiLine;
        } else {
            EXPECT_EQ(pressed, c.enterPresses ? QStringList{QString::fromLatin1(c.enterPresses)}
                                              : QStringList())
                << c.dialog << ": Enter in the first widget";
        }
    }
}
