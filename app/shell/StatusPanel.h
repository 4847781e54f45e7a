#pragma once

#include <QLabel>

class QHBoxLayout;

// One panel of the main window's status bar: a picture and a text, reporting clicks.
class StatusPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanel)

public:
    explicit StatusPanel(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* m_icon;
    QLabel* m_text;
    QPixmap m_picture;
};
