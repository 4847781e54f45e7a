#include "app/keywords/FAddKWs.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include "app/keywords/KWLineCounter.h"
#include "app/shell/MMain.h"
#include "app/shell/MMinMaxInfo.h"
#include "app/shell/MMisc.h"
#include "app/shell/StringTable.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The box lays out every line it takes: a text longer than a piece goes in a piece at a time,
// each turn of the event loop taking pieces for a slice of time, so the window stays live.
constexpr qsizetype kFillPiece = 32 * 1024;
constexpr qint64 kFillSliceMs = 50;
constexpr int kFillSteps = 1000;

// The text with LF line ends, as the box takes it; linear in the text's length.
QString withLineFeeds(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(kCrLf); at >= 0; at = text.indexOf(kCrLf, from)) {
        plain += QStringView(text).mid(from, at - from) + u'\n';
        from = at + kCrLf.size();
    }
    plain += QStringView(text).mid(from);
    return plain;
}

// The text with CR LF line ends; linear, where QString::replace moves the tail once per thousand
// matches.
QString withCrLf(const QString& text)
{
    QString crlf;
    crlf.reserve(text.size() + text.count(u'\n'));
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        crlf += QStringView(text).mid(from, at - from) + kCrLf;
        from = at + 1;
    }
    crlf += QStringView(text).mid(from);
    return crlf;
}

// Runs of blanks made single.
QString singleBlanks(QStringView text)
{
    QString single;
    single.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' || !single.endsWith(u' '))
            single += c;
    }
    return single;
}

// Text not yet in the box as the box will give it back: it breaks lines at CR, and its plain
// text has LF for every line or paragraph break and a blank for a no-break space.
QString asTheBoxGivesIt(QStringView text)
{
    QString plain = text.toString();
    for (QChar& c : plain) {
        switch (c.unicode()) {
        case u'\r':
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0: // frame marks
        case 0xFDD1:
            c = u'\n';
            break;
        case QChar::Nbsp:
            c = u' ';
            break;
        default:
            break;
        }
    }
    return plain;
}

// Just after the last line feed within a piece from `from`, else after the first one beyond,
// else the end of the text.
qsizetype pieceEnd(const QString& text, qsizetype from)
{
    if (text.size() - from <= kFillPiece)
        return text.size();
    const qsizetype within = text.lastIndexOf(u'\n', from + kFillPiece - 1);
    if (within >= from)
        return within + 1;
    const qsizetype beyond = text.indexOf(u'\n', from + kFillPiece);
    return beyond < 0 ? text.size() : beyond + 1;
}

} // namespace

FAddKWs::FAddKWs(QWidget* parent)
    : QDialog(parent)
    , m_txtKWs(new QPlainTextEdit(this))
    , m_chkSetRank(new QCheckBox(QStringLiteral("Set &rank for added keywords to:"), this))
    , m_cmdPaste(new QPushButton(QStringLiteral("&Paste"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , m_sb(new QStatusBar(this))
    , m_fillProgress(new QProgressBar(this))
    , m_fill(new QTimer(this))
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
    m_fillProgress->setRange(0, kFillSteps);
    m_fillProgress->setMaximumWidth(160);
    m_fillProgress->hide();
    m_sb->addPermanentWidget(m_fillProgress);
    m_fill->setInterval(0);

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
    connect(m_fill, &QTimer::timeout, this, &FAddKWs::fillSome);
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
    if (isLoading())
        text += asTheBoxGivesIt(QStringView(m_pending).mid(m_filled));
    return withCrLf(text);
}

void FAddKWs::setText(const QString& text)
{
    endFill();
    QString plain = withLineFeeds(text);
    if (plain.size() <= kFillPiece) {
        m_txtKWs->setPlainText(plain);
        return;
    }
    m_pending = std::move(plain);
    m_filled = pieceEnd(m_pending, 0);
    m_txtKWs->setReadOnly(true);
    m_txtKWs->setPlainText(m_pending.left(m_filled));
    // Undo would keep a step for every piece.
    m_txtKWs->document()->setUndoRedoEnabled(false);
    m_fillProgress->setValue(0);
    m_fillProgress->show();
    if (isVisible())
        m_fill->start();
}

void FAddKWs::fillSome()
{
    QElapsedTimer slice;
    slice.start();
    QTextCursor end(m_txtKWs->document());
    end.movePosition(QTextCursor::End);
    while (m_filled < m_pending.size() && slice.elapsed() < kFillSliceMs) {
        const qsizetype to = pieceEnd(m_pending, m_filled);
        end.insertText(m_pending.mid(m_filled, to - m_filled));
        m_filled = to;
    }
    if (m_filled < m_pending.size())
        m_fillProgress->setValue(static_cast<int>(m_filled * kFillSteps / m_pending.size()));
    else
        endFill();
}

void FAddKWs::endFill()
{
    if (!isLoading())
        return;
    m_fill->stop();
    m_pending = QString();
    m_filled = 0;
    m_fillProgress->hide();
    m_txtKWs->document()->setUndoRedoEnabled(true);
    m_txtKWs->setReadOnly(false);
    refreshLineCount();
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

zentrel::CKeyedCollection FAddKWs::SplitKWs(const QString& text)
{
    // Empty lines (runs of line breaks) are skipped, runs of blanks made single.
    zentrel::CKeyedCollection kws;
    for (const QStringView line : QStringView(text).split(kCrLf, Qt::SkipEmptyParts)) {
        const QString piece = singleBlanks(line);
        if (kws.Exists(piece))
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
    m_cmdOK->setEnabled(count >= 1 && !isLoading());
    const QString status = StringTable::format(104, {QString::number(count)});
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
    if (isLoading())
        m_fill->start();
}

void FAddKWs::hideEvent(QHideEvent* event)
{
    m_fill->stop();
    QDialog::hideEvent(event);
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
