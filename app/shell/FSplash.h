#pragma once

#include <QSplashScreen>

// The picture shown while the program starts.
class FSplash final : public QSplashScreen {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSplash)

public:
    FSplash();

    // Shows the splash and lets it paint (waiting a bounded time for the screen), so that it is
    // on the screen before the blocking start-up work begins.
    void showPainted();
    bool painted() const { return m_painted; }

    static QString title() { return QStringLiteral("Quintara Keywords"); }
    static QFont titleFont();
    // Where the title is drawn; the picture is as wide as the title needs.
    static QRect titleRect();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_painted = false;
};
