#pragma once

#include <QFrame>

// An etched horizontal line.
class StaticLine final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StaticLine)

public:
    explicit StaticLine(QWidget* parent = nullptr);
};
