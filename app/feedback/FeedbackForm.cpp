#include "app/feedback/FeedbackForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>

#include "app/feedback/FeedbackHelpers.h"
#include "app/shell/MsgService.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CAttributes.h"
#include "engine/platform/CLog.h"

namespace {

QString textOf(const QWidget* box)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(box))
        return line->text();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(box))
        return edit->toPlainText();
    return {};
}

} // namespace

FeedbackForm::FeedbackForm(Description description, QWidget* parent)
    : QDialog(parent)
    , m_description(std::move(description))
{
    setWindowTitle(QString::fromUtf8(m_description.caption));
    buildControls();
    connect(m_cmdSend, &QPushButton::clicked, this, &FeedbackForm::cmdSend_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &FeedbackForm::cmdCancel_Click);
}

void FeedbackForm::buildControls()
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    QLabel* support = FeedbackHelpers::AddHeading(*this, *layout, m_description.invitation);
    int row = 1;
    for (const Field& field : m_description.fields) {
        QWidget* box = nullptr;
        if (field.multiLine) {
            auto* edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            edit->setMinimumHeight(110);
            box = edit;
        } else {
            box = new QLineEdit(this);
        }
        box->setObjectName(QString::fromLatin1(field.control));
        auto* label = new QLabel(QString::fromUtf8(field.label), this);
        label->setBuddy(box);
        layout->addWidget(label, row, 0, field.multiLine ? Qt::AlignTop : Qt::AlignVCenter);
        layout->addWidget(box, row++, 1);
        m_boxes.push_back({field, box});
    }
    if (m_description.consent) {
        m_chkAgree =
            new QCheckBox(QStringLiteral("May we use your first name and location ?"), this);
        m_chkAgree->setObjectName(QStringLiteral("chkAgree"));
        layout->addWidget(m_chkAgree, row++, 1);
    }
    layout->addWidget(support, row++, 0, 1, 2);
    // Made after the fields, so that the form opens in the first field and Tab ends on them.
    m_cmdSend = new QPushButton(QStringLiteral("&Send"), this);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    // No default button: Enter in the text starts a new line, it never sends.
    for (QPushButton* button : {m_cmdSend, m_cmdCancel})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdSend);
    buttons->addWidget(m_cmdCancel);
    layout->addLayout(buttons, row, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    resize(460, sizeHint().height());
}

void FeedbackForm::init(std::shared_ptr<zentrel::CLog> Log)
{
    m_log = std::move(Log);
}

QWidget* FeedbackForm::textBox(const QString& name) const
{
    for (const Box& box : m_boxes) {
        if (QLatin1String(box.field.control) == name)
            return box.widget;
    }
    return nullptr;
}

void FeedbackForm::setText(const QString& name, const QString& text)
{
    QWidget* box = textBox(name);
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->setText(text);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(box))
        edit->setPlainText(text);
}

QString FeedbackForm::text(const QString& name) const
{
    return textOf(textBox(name));
}

zentrel::CAttributes FeedbackForm::buildRecord() const
{
    zentrel::CAttributes record;
    for (const Box& box : m_boxes)
        record.Add(QString::fromLatin1(box.field.key), textOf(box.widget));
    if (m_chkAgree != nullptr)
        record.Add(QStringLiteral("agreed"), m_chkAgree->isChecked() ? 1 : 0);
    record.Add(QStringLiteral("log"),
               FeedbackHelpers::LogText(m_log ? m_log->LogFile() : QString()));
    return record;
}

void FeedbackForm::cmdSend_Click()
{
    if (m_transport.isSending())
        return;
    // Blanks count as text: only an empty field is refused.
    for (const Box& box : m_boxes) {
        if (textOf(box.widget).isEmpty()) {
            MsgService::showMsg(this, StringTable::text(box.field.emptyMessage),
                                MsgService::Exclamation);
            box.widget->setFocus();
            return;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    m_cmdSend->setEnabled(false);
    const auto enableSend = qScopeGuard([this] { m_cmdSend->setEnabled(true); });
    QString reason;
    const bool sent =
        m_transport.Do1(QString::fromLatin1(m_description.category), buildRecord(), reason);
    if (m_closeAfterSend) {
        m_closeAfterSend = false;
        QDialog::reject();
        return;
    }
    restoreCursor.dismiss();
    QApplication::restoreOverrideCursor();
    if (!sent) {
        reportFailure(reason);
        return;
    }
    MsgService::showMsg(this, StringTable::text(m_description.successMessage),
                        MsgService::Information);
    hide();
}

void FeedbackForm::reportFailure(const QString& reason)
{
    FeedbackHelpers::LogSendFailure(
        m_log, QString::fromLatin1(m_description.typeName) + QStringLiteral(".cmdSend_Click"),
        reason);
    MsgService::showMsg(this, StringTable::text(m_description.failureMessage),
                        MsgService::Exclamation);
}

void FeedbackForm::cmdCancel_Click()
{
    reject();
}

void FeedbackForm::reject()
{
    // Closed while a record is on its way: the send is cancelled and the form closes when it
    // has ended.
    if (m_transport.isSending()) {
        m_closeAfterSend = true;
        m_transport.cancel();
        return;
    }
    QDialog::reject();
}

void FeedbackForm::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    FeedbackHelpers::DrawEtchedFrame(*this);
}
