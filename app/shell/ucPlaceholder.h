#pragma once

#include <QWidget>

#include "app/shell/IVXPage.h"

class QLabel;

// Holds a page's place in the main window until the page itself is there.
class ucPlaceholder final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ucPlaceholder)

public:
    explicit ucPlaceholder(const QString& caption, QWidget* parent = nullptr);

private:
    QLabel* m_label;
};
