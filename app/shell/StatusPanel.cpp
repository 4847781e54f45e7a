#include "app/shell/StatusPanel.h"

#include <QHBoxLayout>
#include <QMouseEvent>

StatusPanel::StatusPanel(QWidget* parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    m_text->setTextFormat(Qt::PlainText);
    m_icon->hide();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->addWidget(m_icon);
    layout->addWidget(m_text, 1);
}

QString StatusPanel::text() const
{
    return m_text->text();
}

void StatusPanel::setText(const QString& text)
{
    m_text->setText(text);
}

void StatusPanel::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    m_icon->setPixmap(picture);
    m_icon->setVisible(!picture.isNull());
}

void StatusPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

void StatusPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}
