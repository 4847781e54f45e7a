#include "app/keywords/FExportParams.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/keywords/KWLog.h"
#include "app/keywords/KWReport.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/TextLinesView.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/WaitCursor.h"
#include "engine/platform/ZError.h"

namespace {

const QString kNone = QStringLiteral("{none}");

} // namespace

FExportParams::FExportParams(KWServices* services, QWidget* parent)
    : QDialog(parent)
    , m_services(services)
{
    setWindowTitle(QStringLiteral("Export Options"));
    buildControls();
    m_loading = true;
    readSettings();
    m_loading = false;
    connectControls();
}

FExportParams::~FExportParams()
{
    writeSettings();
}

QString FExportParams::SettingsKey()
{
    return KWServices::ProgramKey() + QStringLiteral("Export Keywords\\");
}

void FExportParams::buildControls()
{
    // Made in Tab order: the choices, the preview, then the buttons.
    auto* choices = new QVBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Choose the data you want to export:"), this));
    choices->addLayout(buildColumnsBox());
    choices->addWidget(
        new QLabel(QStringLiteral("Choose the delimiter that separates your fields:"), this));
    choices->addLayout(buildDelimiterBox());

    m_txtPreview = new TextLinesView(this);
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCopy = new QPushButton(QStringLiteral("Co&py"), this);
    m_cmdReport = new QPushButton(QStringLiteral("&Report"), this);
    m_cmdOK->setDefault(true);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_cmdOK, m_cmdCancel, m_cmdCopy, m_cmdReport})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(choices, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new QLabel(QStringLiteral("Preview:"), this));
    layout->addWidget(m_txtPreview, 1);
    resize(520, 460);
}

QLayout* FExportParams::buildColumnsBox()
{
    m_chkKW = new QCheckBox(QStringLiteral("&Keyword"), this);
    m_chkSearchs = new QCheckBox(QStringLiteral("&Searches Count"), this);
    m_chkRelevancy = new QCheckBox(QStringLiteral("&Relevancy"), this);
    m_chkScore = new QCheckBox(QStringLiteral("Sco&re"), this);
    m_chkFieldNames = new QCheckBox(QStringLiteral("First &Row Contains Field Names"), this);
    m_chkKW->setChecked(true);
    auto* grid = new QGridLayout;
    grid->addWidget(m_chkKW, 0, 0);
    grid->addWidget(m_chkSearchs, 0, 1);
    grid->addWidget(m_chkRelevancy, 1, 0);
    grid->addWidget(m_chkScore, 1, 1);
    grid->addWidget(m_chkFieldNames, 2, 0, 1, 2);
    return grid;
}

QLayout* FExportParams::buildDelimiterBox()
{
    const char* const captions[] = {"&Tab", "Se&micolon", "&Comma", "S&pace", "&Other:"};
    auto* group = new QButtonGroup(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        m_optDel[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(captions[i]), this);
        group->addButton(optDel(i), i);
        grid->addWidget(optDel(i), i / 3, i % 3);
    }
    grid->addWidget(m_txtCustomDelimiter = new QLineEdit(this), 1, 2);
    optDel(2)->setChecked(true);
    m_txtCustomDelimiter->setMaxLength(1);
    m_txtCustomDelimiter->setMaximumWidth(40);

    m_cboTextQualifier = new QComboBox(this);
    m_cboTextQualifier->setEditable(true);
    m_cboTextQualifier->addItems({QStringLiteral("'"), QStringLiteral("\""), kNone});
    m_cboTextQualifier->setCurrentText(kNone);
    auto* label = new QLabel(QStringLiteral("Text &Qualifier:"), this);
    label->setBuddy(m_cboTextQualifier);
    grid->addWidget(label, 2, 0);
    grid->addWidget(m_cboTextQualifier, 2, 1);
    grid->setColumnStretch(3, 1);
    return grid;
}

void FExportParams::connectControls()
{
    for (QCheckBox* box : {m_chkKW, m_chkSearchs, m_chkRelevancy, m_chkScore, m_chkFieldNames})
        connect(box, &QCheckBox::toggled, this, &FExportParams::RefreshPreview);
    for (QRadioButton* option : m_optDel)
        connect(option, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                RefreshPreview();
        });
    connect(optDel(4), &QRadioButton::clicked, m_txtCustomDelimiter,
            [this] { m_txtCustomDelimiter->setFocus(); });
    connect(m_txtCustomDelimiter, &QLineEdit::textChanged, this, &FExportParams::RefreshPreview);
    connect(m_cboTextQualifier, &QComboBox::currentTextChanged, this,
            &FExportParams::RefreshPreview);
    connect(m_cmdOK, &QPushButton::clicked, this, &FExportParams::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FExportParams::reject);
    connect(m_cmdCopy, &QPushButton::clicked, this, &FExportParams::Copy);
    connect(m_cmdReport, &QPushButton::clicked, this, [this] {
        LoggingGuard(LoggingGuard::writerOf(m_log), 4,
                     QStringLiteral("FExportParams.cmdReport_Click"))
            .run([this] { Report(); });
    });
}

void FExportParams::init(KWExportTable table, KWLog* log, const QString& projectFileName)
{
    m_table = std::move(table);
    m_log = log;
    m_projectFileName = projectFileName;
}

QString FExportParams::Delimiter() const
{
    static const QString fixed[] = {QStringLiteral("\t"), QStringLiteral(";"), QStringLiteral(","),
                                    QStringLiteral(" ")};
    for (int i = 0; i < 4; ++i)
        if (optDel(i)->isChecked())
            return fixed[i];
    return m_txtCustomDelimiter->text();
}

KWExportText::Options FExportParams::options() const
{
    KWExportText::Options options;
    options.keyword = m_chkKW->isChecked();
    options.searches = m_chkSearchs->isChecked();
    options.relevancy = m_chkRelevancy->isChecked();
    options.score = m_chkScore->isChecked();
    options.fieldNames = m_chkFieldNames->isChecked();
    options.delimiter = Delimiter();
    const QString qualifier = m_cboTextQualifier->currentText();
    options.qualifier = qualifier == kNone ? QString() : qualifier;
    return options;
}

void FExportParams::RefreshPreview()
{
    if (m_loading || !m_active)
        return;
    const KWExportText::Options current = options();
    if (!KWExportText::anyColumn(current)) {
        m_preview.clear();
        m_txtPreview->clear();
        m_cmdOK->setEnabled(false);
        return;
    }
    m_cmdOK->setEnabled(true);
    const WaitCursor wait;
    try {
        m_preview = KWExportText::build(m_table, current);
        m_txtPreview->setText(m_preview);
    } catch (const std::exception& e) {
        if (m_log)
            m_log->Write(0, QString::fromLocal8Bit(e.what()), 0,
                         QStringLiteral("FExportParams.RefreshPreview"));
    }
}

void FExportParams::Copy()
{
    m_services->SetClipboardText(m_preview);
}

QString FExportParams::Report()
{
    const WaitCursor wait;
    const QString page = KWReport::build(m_table, m_projectFileName, QDate::currentDate(),
                                         KWReport::builtInTemplates());
    const QString path = m_services->TempFileName(QStringLiteral("vx"), QStringLiteral("html"));
    m_services->WriteFile(path, page);
    m_services->OpenInBrowser(path, QStringLiteral("FExportParams.cmdReport_Click"));
    return path;
}

void FExportParams::activate()
{
    m_active = true;
    m_okPressed = false;
    RefreshPreview();
}

void FExportParams::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    activate();
}

void FExportParams::accept()
{
    m_okPressed = true;
    QDialog::accept();
}

void FExportParams::reject()
{
    m_okPressed = false;
    QDialog::reject();
}

void FExportParams::readBool(const QString& name, QCheckBox* box)
{
    QString value;
    if (!m_services->ReadString(SettingsKey(), name, value) || value.isEmpty())
        return;
    if (value.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        box->setChecked(true);
    else if (value.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        box->setChecked(false);
}

void FExportParams::writeBool(const QString& name, const QCheckBox* box)
{
    m_services->WriteString(SettingsKey(), name,
                            box->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
}

void FExportParams::readSettings()
{
    const auto guarded = [](auto&& step) {
        try {
            step();
        } catch (...) {
            // a value that cannot be read keeps the design value
        }
    };
    guarded([this] { readBool(QStringLiteral("Export Keyword"), m_chkKW); });
    guarded([this] { readBool(QStringLiteral("Export Searches"), m_chkSearchs); });
    guarded([this] { readBool(QStringLiteral("Export Relevancy"), m_chkRelevancy); });
    guarded([this] { readBool(QStringLiteral("Export Score"), m_chkScore); });
    guarded([this] {
        QString value;
        if (!m_services->ReadString(SettingsKey(), QStringLiteral("Delimiter"), value) ||
            value.isEmpty())
            return;
        static const QString fixed[] = {QStringLiteral("\t"), QStringLiteral(";"),
                                        QStringLiteral(","), QStringLiteral(" ")};
        for (int i = 0; i < 4; ++i) {
            if (value == fixed[i]) {
                optDel(i)->setChecked(true);
                return;
            }
        }
        optDel(4)->setChecked(true);
        m_txtCustomDelimiter->setText(value);
    });
    guarded(
        [this] { readBool(QStringLiteral("First Row Contains Field Names"), m_chkFieldNames); });
    guarded([this] {
        QString value;
        if (m_services->ReadString(SettingsKey(), QStringLiteral("Text Qualifier"), value) &&
            !value.isEmpty())
            m_cboTextQualifier->setCurrentText(value);
    });
}

void FExportParams::writeSettings()
{
    const auto guarded = [](auto&& step) {
        try {
            step();
        } catch (...) {
            // each write failure is ignored
        }
    };
    guarded([this] { writeBool(QStringLiteral("Export Keyword"), m_chkKW); });
    guarded([this] { writeBool(QStringLiteral("Export Searches"), m_chkSearchs); });
    guarded([this] { writeBool(QStringLiteral("Export Relevancy"), m_chkRelevancy); });
    guarded([this] { writeBool(QStringLiteral("Export Score"), m_chkScore); });
    guarded([this] {
        m_services->WriteString(SettingsKey(), QStringLiteral("Delimiter"), Delimiter());
    });
    guarded(
        [this] { writeBool(QStringLiteral("First Row Contains Field Names"), m_chkFieldNames); });
    guarded([this] {
        m_services->WriteString(SettingsKey(), QStringLiteral("Text Qualifier"),
                                m_cboTextQualifier->currentText());
    });
}
