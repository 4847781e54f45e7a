#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "app/keywords/FExportParams.h"
#include "app/keywords/TextLinesView.h"
#include "tests/app/keywords/KWTestDoubles.h"

namespace {

const KWExportTable kTable{
    {QStringLiteral("it's mine"), QStringLiteral("0.4"), QStringLiteral("It's Mine!"),
     QStringLiteral("  4.1")},
    {QStringLiteral("unknown"), QStringLiteral(" "), QStringLiteral(""), QStringLiteral("     ")},
};

QString key(const char* name)
{
    return FExportParams::SettingsKey() + QString::fromLatin1(name);
}

TEST(FExportParams, DesignValuesAndPreview)
{
    kwtest::ScriptedServices services;
    FExportParams dialog(&services);
    dialog.init(kTable, &services, QStringLiteral("p.vxp"));
    EXPECT_TRUE(dialog.PreviewText().isEmpty()); // not built before the dialog shows
    dialog.show();
    EXPECT_TRUE(dialog.chkKW()->isChecked());
    EXPECT_FALSE(dialog.chkSearchs()->isChecked());
    EXPECT_TRUE(dialog.optDel(2)->isChecked());
    EXPECT_EQ(dialog.cboTextQualifier()->currentText(), QStringLiteral("{none}"));
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("it's mine\r\nunknown\r\n"));

    dialog.chkSearchs()->click();
    dialog.chkScore()->click();
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("it's mine,0.4,4.1\r\nunknown, ,\r\n"));
    dialog.cboTextQualifier()->setCurrentText(QStringLiteral("'"));
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("'it''s mine',0.4,4.1\r\n'unknown', ,\r\n"));
    // the view shows the same lines after each rebuild
    EXPECT_EQ(dialog.txtPreview()->text(), dialog.PreviewText());
    EXPECT_EQ(dialog.txtPreview()->lineCount(), 2);
    EXPECT_EQ(dialog.txtPreview()->line(1), QStringLiteral("'unknown', ,"));

    dialog.chkKW()->click();
    dialog.chkSearchs()->click();
    dialog.chkScore()->click();
    EXPECT_TRUE(dialog.PreviewText().isEmpty());
    EXPECT_EQ(dialog.txtPreview()->lineCount(), 0);
    EXPECT_FALSE(dialog.cmdOK()->isEnabled());
}

TEST(FExportParams, CustomDelimiterTakesEffectOnlyWhenChosen)
{
    kwtest::ScriptedServices services;
    FExportParams dialog(&services);
    dialog.init(kTable, &services, {});
    dialog.show();
    dialog.chkRelevancy()->click();
    dialog.txtCustomDelimiter()->setText(QStringLiteral("|"));
    EXPECT_FALSE(dialog.optDel(4)->isChecked());
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("it's mine,It's Mine!\r\nunknown,\r\n"));
    dialog.optDel(4)->click();
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("it's mine|It's Mine!\r\nunknown|\r\n"));
    dialog.txtCustomDelimiter()->clear();
    EXPECT_EQ(dialog.PreviewText(), QStringLiteral("it's mineIt's Mine!\r\nunknown\r\n"));
}

TEST(FExportParams, SettingsAreStoredAtUnloadAndRestored)
{
    kwtest::ScriptedServices services;
    {
        FExportParams dialog(&services);
        dialog.init(kTable, &services, {});
        dialog.show();
        dialog.chkScore()->click();
        dialog.chkFieldNames()->click();
        dialog.optDel(0)->click();
        dialog.cboTextQualifier()->setCurrentText(QStringLiteral("\""));
        dialog.reject();
    }
    EXPECT_EQ(services.settings[key("Export Keyword")], QStringLiteral("True"));
    EXPECT_EQ(services.settings[key("Export Searches")], QStringLiteral("False"));
    EXPECT_EQ(services.settings[key("Export Score")], QStringLiteral("True"));
    EXPECT_EQ(services.settings[key("Delimiter")], QStringLiteral("\t"));
    EXPECT_EQ(services.settings[key("First Row Contains Field Names")], QStringLiteral("True"));
    EXPECT_EQ(services.settings[key("Text Qualifier")], QStringLiteral("\""));
    {
        FExportParams dialog(&services);
        dialog.init(kTable, &services, {});
        dialog.show();
        EXPECT_TRUE(dialog.chkScore()->isChecked());
        EXPECT_TRUE(dialog.optDel(0)->isChecked());
        EXPECT_EQ(dialog.PreviewText(),
                  QStringLiteral("Keyword\tScore\r\n\"it's mine\"\t4.1\r\n\"unknown\"\t\r\n"));
        dialog.optDel(4)->click(); // "Other" with an empty text
    }
    EXPECT_EQ(services.settings[key("Delimiter")], QString());
    services.settings[key("Export Keyword")] = QStringLiteral("maybe"); // neither: design value
    services.settings[key("Delimiter")] = QStringLiteral("~");
    FExportParams dialog(&services);
    EXPECT_TRUE(dialog.chkKW()->isChecked());
    EXPECT_TRUE(dialog.optDel(4)->isChecked());
    EXPECT_EQ(dialog.txtCustomDelimiter()->text(), QStringLiteral("~"));
}

TEST(FExportParams, ReportAndCopy)
{
    QTemporaryDir dir;
    kwtest::ScriptedServices services;
    services.tempFolder = dir.path();
    FExportParams dialog(&services);
    dialog.init({{QStringLiteral("<b>bold</b> кириллица"), QStringLiteral(" "),
                  QStringLiteral("It's Mine!"), QStringLiteral("     ")}},
                &services, QStringLiteral("/p/a&b.vxp"));
    dialog.show();
    dialog.chkKW()->click(); // the report ignores the column choice
    const QString path = dialog.Report();
    ASSERT_EQ(services.opened, QStringList{path});
    EXPECT_TRUE(path.endsWith(QStringLiteral(".html")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt; кириллица")));
    EXPECT_TRUE(page.contains(QStringLiteral("/p/a&amp;b.vxp")));
    EXPECT_TRUE(page.contains(QStringLiteral("Total: 1 keywords")));
    dialog.chkKW()->click();
    dialog.Copy();
    EXPECT_EQ(services.clipboard, QStringLiteral("<b>bold</b> кириллица\r\n"));
}

} // namespace
