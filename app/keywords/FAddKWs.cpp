#include "app/keywords/FAddKWs.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/keywords/KWLineCounter.h"
#include "app/shell/MMain.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MMisc.h"
#include "app/shell/MStrings.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

FAddKWs::FAddKWs(QWidget* parent)
    : QDialog(parent)
    , m_txtKWs(new QPlainTextEdit(this))
    , m_chkSetRank(new QCheckBox(QStringLiteral("Set &rank for added keywords to:"), this))
    , m_cmdPaste(new QPushButton(QStringLiteral("&Paste"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_sb(new QStatusBar(this))
    , m_lineCounter(new KWLineCounter(m_txtKWs->document()))
{
    setWindowTitle(QStringLiteral("Add Keywords"));
    MMinMaxInfo::HookFAddKWs(this);
    m_txtKWs->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtKWs->setTabChangesFocus(true);
    m_chkSetRank->setChecked(true);
    const char* const captions[] = {"",           "Who Knows?", "May Be", "More Or Less",
                                    "It's Mine!", "The Best!"};
    auto* ranks = new QHBoxLayout;
    ranks->addSpacing(20);
    for (int i = 1; i <= 5; ++i) {
        m_optRank[static_cast<std::size_t>(i)] =
            new QRadioButton(QString::fromLatin1(captions[i]), this);
        ranks->addWidget(optRank(i));
    }
    ranks->addStretch();
    optRank(4)->setChecked(true);
    m_sb->setSizeGripEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdPaste);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_txtKWs, 1);
    layout->addWidget(m_chkSetRank);
    layout->addLayout(ranks);
    layout->addLayout(buttons);
    layout->addWidget(m_sb);
    // No default button: Enter in the text starts a new line, on a rank it presses nothing.
    for (QPushButton* button : {m_cmdPaste, m_cmdOK, m_cmdCancel})
        button->setAutoDefault(false);
    // Tab in reading order: the ranks before the buttons.
    QWidget::setTabOrder(optRank(5), m_cmdPaste);
    QWidget::setTabOrder(m_cmdPaste, m_cmdOK);
    QWidget::setTabOrder(m_cmdOK, m_cmdCancel);

    connect(m_txtKWs, &QPlainTextEdit::textChanged, this, &FAddKWs::refreshLineCount);
    connect(m_chkSetRank, &QCheckBox::toggled, this, &FAddKWs::enableRanks);
    connect(m_cmdPaste, &QPushButton::clicked, this, &FAddKWs::paste);
    connect(m_cmdOK, &QPushButton::clicked, this, &FAddKWs::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FAddKWs::reject);
    refreshLineCount();
}

FAddKWs::~FAddKWs()
{
    MMinMaxInfo::UnhookFAddKWs(this);
}

void FAddKWs::init(KWLog* log, const QString& text)
{
    m_log = log;
    setText(text);
}

QString FAddKWs::Text() const
{
    QString text = m_txtKWs->toPlainText();
    text.replace(QLatin1Char('\n'), kCrLf);
    return text;
}

void FAddKWs::setText(const QString& text)
{
    QString plain = text;
    plain.replace(kCrLf, QStringLiteral("\n"));
    m_txtKWs->setPlainText(plain);
}

bool FAddKWs::SetRank() const
{
    return m_chkSetRank->isChecked();
}

int FAddKWs::SelectedRank() const
{
    for (int i = 5; i >= 1; --i)
        if (optRank(i)->isChecked())
            return i;
    return -1;
}

zentrel::CKeyedCollection FAddKWs::KWs() const
{
    return SplitKWs(Text());
}

zentrel::CKeyedCollection FAddKWs::SplitKWs(QString text)
{
    const QString doubleLine = kCrLf + kCrLf;
    while (text.contains(doubleLine))
        text.replace(doubleLine, kCrLf);
    while (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(" "));
    zentrel::CKeyedCollection kws;
    for (const QString& piece : text.split(kCrLf)) {
        if (piece.isEmpty() || kws.Exists(piece))
            continue;
        try {
            kws.Add(piece, piece);
        } catch (...) {
            // skipped, as a repeated key is
        }
    }
    return kws;
}

QString FAddKWs::statusText() const
{
    return m_sb->currentMessage();
}

// The keywords OK would take, as KWs splits them; counted as the text changes, edit by edit.
void FAddKWs::refreshLineCount()
{
    const int count = m_lineCounter->count();
    m_cmdOK->setEnabled(count >= 1);
    const QString status = MStrings::format(104, {QString::number(count)});
    if (status != m_sb->currentMessage())
        m_sb->showMessage(status);
}

void FAddKWs::paste()
{
    setText(MMisc::GetClipboardKWs());
}

void FAddKWs::enableRanks()
{
    for (int i = 1; i <= 5; ++i)
        optRank(i)->setEnabled(m_chkSetRank->isChecked());
}

void FAddKWs::showEvent(QShowEvent* event)
{
    m_chkSetRank->setChecked(MMain::DefaultSetRank);
    enableRanks();
    if (MMain::DefaultRank >= 1 && MMain::DefaultRank <= 5)
        optRank(MMain::DefaultRank)->setChecked(true);
    refreshLineCount();
    m_okPressed = false;
    QDialog::showEvent(event);
}

void FAddKWs::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        refreshLineCount();
        m_okPressed = false;
    }
    QDialog::changeEvent(event);
}

void FAddKWs::accept()
{
    m_okPressed = true;
    MMain::DefaultSetRank = m_chkSetRank->isChecked();
    if (const int rank = SelectedRank(); rank >= 1)
        MMain::DefaultRank = rank;
    QDialog::accept();
}

void FAddKWs::reject()
{
    m_okPressed = false;
    QDialog::reject();
}
