#pragma once

#include <QObject>

class QWidget;

// Keeps a window's minimum size and its maximum size (the usable area of its screen).
class WindowSizeLimits final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowSizeLimits)

public:
    WindowSizeLimits(QWidget* window, int minWidth, int minHeight);

    void apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    int m_minWidth;
    int m_minHeight;
};
