#include "app/shell/FAbout.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/shell/DesktopBrowser.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/ProgramVersion.h"

namespace {

const QString kMakerHost = QStringLiteral("www.brovantsoftware.com");

} // namespace

FAbout::FAbout(QWidget* parent)
    : QDialog(parent)
    , m_frame1(new QGroupBox(this))
    , m_lblName(new QLabel(m_frame1))
    , m_image1(new QLabel(m_frame1))
    , m_lblVisitBRVSoft(new QLabel(m_frame1))
    , m_cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("About Quintara Keywords"));
    m_lblName->setTextFormat(Qt::PlainText);
    m_image1->setPixmap(DrawnIcons::productPicture());
    m_image1->installEventFilter(this);
    m_lblVisitBRVSoft->setTextFormat(Qt::PlainText);
    m_lblVisitBRVSoft->setText(kMakerHost);
    m_lblVisitBRVSoft->setCursor(Qt::PointingHandCursor);
    QFont linkFont = m_lblVisitBRVSoft->font();
    linkFont.setUnderline(true);
    m_lblVisitBRVSoft->setFont(linkFont);
    m_lblVisitBRVSoft->installEventFilter(this);
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QWidget::hide);

    auto* frameLayout = new QGridLayout(m_frame1);
    frameLayout->addWidget(m_image1, 0, 0, 2, 1, Qt::AlignTop);
    frameLayout->addWidget(m_lblName, 0, 1);
    frameLayout->addWidget(m_lblVisitBRVSoft, 1, 1);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(m_frame1, 0, 0);
    layout->addWidget(m_cmdOK, 1, 0, Qt::AlignRight);
    Form_Load();
}

QString FAbout::nameText()
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Quintara Keywords Version %1.%2")
               .arg(ProgramVersion::kMajor)
               .arg(ProgramVersion::kMinor) +
           crlf + crlf +
           QStringLiteral("Copyright (C) 2003-2005 Brovant Software. All rights reserved.") + crlf +
           QStringLiteral("Warning: this computer program is protected by copyright law and "
                          "international treaties. Unauthorized reproduction or distribution of "
                          "this program, or any portion of it, may result in severe civil and "
                          "criminal penalties.") +
           crlf + crlf;
}

QString FAbout::homePage()
{
    return QStringLiteral("http://") + kMakerHost;
}

QString FAbout::betaTesterPage()
{
    return homePage() + QStringLiteral("/quintara-keywords-beta-tester.htm");
}

void FAbout::Form_Load()
{
    m_lblName->setText(nameText());
    m_lblName->setWordWrap(true);
}

bool FAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image1 && event->type() == QEvent::MouseButtonDblClick) {
        DesktopBrowser::open(betaTesterPage());
        return true;
    }
    if (watched == m_lblVisitBRVSoft && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            DesktopBrowser::open(homePage());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FAbout::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    // A light bevel round the content.
    QPainter painter(this);
    painter.setPen(Qt::white);
    const int w = width();
    const int h = height();
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.drawLine(14, 14, w - 14, 14);
    painter.drawLine(w - 14, 14, w - 14, h - 14);
    painter.drawLine(14, h - 14, w - 14, h - 14);
}
