#pragma once

#include <QStringList>
#include <QWidget>

#include "app/shell/IVXPage.h"

// A page that records what its host calls.
class ShellTestPage final : public QWidget, public IVXPage {
public:
    explicit ShellTestPage(QWidget* parent = nullptr)
        : QWidget(parent)
    {
    }

    void init(zentrel::Scripting*, std::shared_ptr<zentrel::CLog>, FMain* owner) override
    {
        calls << QStringLiteral("init");
        this->owner = owner;
    }
    void Refresh() override { calls << QStringLiteral("Refresh"); }
    void MenuEvent(const QString& id, int index) override
    {
        calls << id + u':' + QString::number(index);
    }
    void Finalize() override { calls << QStringLiteral("Finalize"); }
    void SetRankMode(bool advanced) override
    {
        calls << (advanced ? QStringLiteral("advanced") : QStringLiteral("simple"));
    }

    QStringList calls;
    FMain* owner = nullptr;
};
