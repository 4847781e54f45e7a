#include "app/shell/FSplash.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QPainter>
#include <QWindow>

#include "app/shell/DrawnIcons.h"

namespace {

constexpr int kTitleLeft = 104;
constexpr int kMargin = 24;
constexpr int kHeight = 160;
constexpr int kExposeWaitMs = 1000;

QPixmap splashPicture()
{
    const QRect title = FSplash::titleRect();
    QPixmap pixmap(title.right() + 1 + kMargin, kHeight);
    pixmap.fill(QColor(30, 90, 170));
    QPainter painter(&pixmap);
    painter.drawPixmap(kMargin, 48, DrawnIcons::productPicture(64));
    painter.setFont(FSplash::titleFont());
    painter.setPen(Qt::white);
    painter.drawText(title, Qt::AlignVCenter | Qt::AlignLeft, FSplash::title());
    return pixmap;
}

} // namespace

FSplash::FSplash()
    : QSplashScreen(splashPicture())
{
}

QFont FSplash::titleFont()
{
    QFont font;
    font.setPixelSize(26);
    font.setBold(true);
    return font;
}

QRect FSplash::titleRect()
{
    const int width = QFontMetrics(titleFont()).horizontalAdvance(title());
    return QRect(kTitleLeft, 40, width + 4, 80);
}

void FSplash::showPainted()
{
    show();
    QElapsedTimer waited;
    waited.start();
    while (!(windowHandle() != nullptr && windowHandle()->isExposed()) &&
           waited.elapsed() < kExposeWaitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    repaint();
    QCoreApplication::processEvents();
}

void FSplash::paintEvent(QPaintEvent* event)
{
    QSplashScreen::paintEvent(event);
    m_painted = true;
}
