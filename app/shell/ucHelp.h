#pragma once

#include <QWidget>

#include "app/shell/IVXPage.h"

class QTextBrowser;
class QUrl;

// The help page: the program's page "help.htm" in a browser that fills it. Its page members do
// nothing.
class ucHelp final : public QWidget, public IVXPage {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ucHelp)

public:
    explicit ucHelp(QWidget* parent = nullptr);

    QTextBrowser* wb() const { return m_wb; }

private:
    void linkClicked(const QUrl& url);

    QTextBrowser* m_wb;
};
