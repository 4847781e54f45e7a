#pragma once

#include <QSplashScreen>

// The picture shown while the program starts.
class FSplash final : public QSplashScreen {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FSplash)

public:
    FSplash();
};
