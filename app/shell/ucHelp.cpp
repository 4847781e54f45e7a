#include "app/shell/ucHelp.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/shell/DesktopBrowser.h"

ucHelp::ucHelp(QWidget* parent)
    : QWidget(parent)
    , m_wb(new QTextBrowser(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_wb);
    setFocusProxy(m_wb);
    m_wb->setOpenLinks(false);
    connect(m_wb, &QTextBrowser::anchorClicked, this, &ucHelp::linkClicked);
    m_wb->setSource(QUrl(QStringLiteral("qrc:/html/help.htm")));
}

void ucHelp::linkClicked(const QUrl& url)
{
    if (url.scheme() == u"qrc" || url.isRelative()) {
        const QString page = url.fileName();
        if (page.endsWith(QStringLiteral(".htm")) && page != QStringLiteral("help.htm"))
            DesktopBrowser::openOwnPage(page);
        else
            m_wb->setSource(url);
        return;
    }
    DesktopBrowser::open(url.toString());
}
