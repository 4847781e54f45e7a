#include "app/shell/FSingleTimeMsg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/shell/StringTable.h"

FSingleTimeMsg::FSingleTimeMsg(QWidget* parent)
    : QDialog(parent)
    , m_picture1(new QLabel(this))
    , m_lblMessage(new QLabel(this))
    , m_chkDontShowAgain(new QCheckBox(this))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("Quintara Keywords"));
    m_picture1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    m_lblMessage->setTextFormat(Qt::PlainText);
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setText(QStringLiteral("Selected keyword is moved into 'Keywords' tab. "));
    m_chkDontShowAgain->setText(StringTable::text(138));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::hide);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_picture1, 0, 0, Qt::AlignTop);
    layout->addWidget(m_lblMessage, 0, 1);
    layout->addWidget(m_chkDontShowAgain, 1, 1);
    layout->addWidget(m_cmdOK, 2, 1, Qt::AlignRight);
}

void FSingleTimeMsg::closeEvent(QCloseEvent* event)
{
    // The close box only hides the form; the caller still reads the check box.
    event->ignore();
    hide();
}

void FSingleTimeMsg::reject()
{
    hide();
}
