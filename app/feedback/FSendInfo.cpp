#include "app/feedback/FSendInfo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>

#include "app/feedback/FeedbackHelpers.h"
#include "app/feedback/SurveyStatistics.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CLog.h"
#include "engine/platform/CUtilities.h"

namespace {

constexpr int kThankYou = 181;
constexpr int kNotCompleted = 182;
constexpr int kReasonEmpty = 183;

} // namespace

FSendInfo::FSendInfo(QWidget* parent)
    : QDialog(parent)
    , m_txtReason(new QPlainTextEdit(this))
    , m_cmdSend(new QPushButton(QStringLiteral("&Send"), this))
    , m_cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Quintara Keywords Uninstall"));
    m_txtReason->setObjectName(QStringLiteral("txtReason"));
    m_txtReason->setTabChangesFocus(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    QLabel* support = FeedbackHelpers::AddHeading(
        *this, *layout,
        QStringLiteral("We are sorry to see you go. Please tell us why Quintara Keywords did not "
                       "suit you: your comments help us make it better."));
    auto* label = new QLabel(QStringLiteral("Comments:"), this);
    label->setBuddy(m_txtReason);

    layout->addWidget(label, 1, 0, 1, 2);
    layout->addWidget(m_txtReason, 2, 0, 1, 2);
    layout->addWidget(support, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdSend);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    // No default button: Enter in the reason starts a new line, it never sends.
    for (QPushButton* button : {m_cmdSend, m_cmdCancel})
        button->setAutoDefault(false);
    resize(460, 340);

    connect(m_cmdSend, &QPushButton::clicked, this, &FSendInfo::cmdSend_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FSendInfo::cmdCancel_Click);
}

void FSendInfo::init(std::shared_ptr<zentrel::CLog> Log)
{
    m_log = std::move(Log);
}

zentrel::CAttributes FSendInfo::BuildParams() const
{
    zentrel::CAttributes record;
    const QString reason = m_txtReason->toPlainText();
    if (!reason.trimmed().isEmpty())
        record.Add(QStringLiteral("reason"), reason);
    SurveyStatistics::Add(record, m_log);
    record.Add(QStringLiteral("log"),
               FeedbackHelpers::LogText(m_log ? m_log->LogFile() : QString()));
    return record;
}

void FSendInfo::setControlsEnabled(bool enabled)
{
    m_txtReason->setEnabled(enabled);
    m_cmdSend->setEnabled(enabled);
    m_cmdCancel->setEnabled(enabled);
}

void FSendInfo::cmdSend_Click()
{
    if (m_transport.isSending() || m_ended)
        return;
    if (m_txtReason->toPlainText().isEmpty()) {
        MsgService::showMsg(this, StringTable::text(kReasonEmpty), MsgService::Exclamation);
        return;
    }
    // The form comes back on every way out that leaves it open.
    setControlsEnabled(false);
    const auto enable = qScopeGuard([this] { setControlsEnabled(true); });
    bool waiting = false;
    const auto hourglass = [&waiting](bool on) {
        if (on == waiting)
            return;
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        waiting = on;
    };
    const auto restoreCursor = qScopeGuard([&hourglass] { hourglass(false); });
    hourglass(true);
    const zentrel::CAttributes record = BuildParams();
    for (;;) {
        hourglass(true);
        QString reason;
        const bool sent = m_transport.Do1(QStringLiteral("VX\\Uninstall"), record, reason);
        if (m_endAfterSend) {
            end();
            return;
        }
        hourglass(false);
        if (sent) {
            MsgService::showMsg(this, StringTable::text(kThankYou), MsgService::Information);
            end();
            return;
        }
        FeedbackHelpers::LogSendFailure(m_log, QStringLiteral("FSendInfo.cmdSend_Click"), reason);
        if (MsgService::showMsg(this, StringTable::text(kNotCompleted),
                                MsgService::RetryCancel | MsgService::Exclamation) !=
            MsgService::Retry)
            return;
    }
}

void FSendInfo::cmdCancel_Click()
{
    requestEnd();
}

void FSendInfo::reject()
{
    requestEnd();
}

void FSendInfo::closeEvent(QCloseEvent* event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    event->ignore();
    requestEnd();
}

void FSendInfo::requestEnd()
{
    if (m_transport.isSending()) {
        m_endAfterSend = true;
        m_transport.cancel();
        return;
    }
    end();
}

void FSendInfo::end()
{
    if (m_ended)
        return;
    m_ended = true;
    hide();
    // The survey is the program's only user of its temporary folder, which the send made.
    try {
        zentrel::CUtilities::RemoveTempFolder();
    } catch (const std::exception&) {
    }
    emit EndProgram();
}

void FSendInfo::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    FeedbackHelpers::DrawEtchedFrame(*this);
}
