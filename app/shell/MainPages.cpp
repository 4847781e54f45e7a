#include "app/shell/MainPages.h"

#include <QGridLayout>
#include <QWidget>

#include "app/shell/IVXPage.h"
#include "engine/platform/ZError.h"

namespace {

struct PageInfo {
    const char* caption;
    const char* tabKey;
    const char* pageKey;
};

constexpr PageInfo kPages[MainPages::kPageCount] = {
    {"How To", "Help", "ucHelp"},     {"Candidates", "Raw", "ucRaw"},
    {"Keywords", "KWs", "ucKWs"},     {"Groups", "Groups", "ucGroups"},
    {"Banned", "Banned", "ucBanned"}, {"Downloading", "Downloading", "ucDloads"},
};

const PageInfo* infoOf(int number)
{
    return number >= Tab::Help && number <= MainPages::kPageCount ? &kPages[number - 1] : nullptr;
}

} // namespace

QString MainPages::caption(int number)
{
    const PageInfo* info = infoOf(number);
    return info ? QString::fromLatin1(info->caption) : QString();
}

QString MainPages::pageKey(int number)
{
    const PageInfo* info = infoOf(number);
    return info ? QString::fromLatin1(info->pageKey) : QString();
}

QString MainPages::tabKey(int number)
{
    const PageInfo* info = infoOf(number);
    return info ? QString::fromLatin1(info->tabKey) : QString();
}

void MainPages::build(const PageFactory& factory, QGridLayout* layout)
{
    mcolPages.clear();
    for (int i = 1; i <= kPageCount; ++i) {
        QWidget* widget =
            factory ? factory(static_cast<Tab::Number>(i), layout->parentWidget()) : nullptr;
        auto* page = dynamic_cast<IVXPage*>(widget);
        if (widget == nullptr || page == nullptr)
            throw zentrel::ZError(zentrel::kInvalidArgument,
                                  QStringLiteral("The page %1 cannot be created. ").arg(pageKey(i)),
                                  QStringLiteral("FMain.Form_Load"));
        widget->setObjectName(pageKey(i));
        layout->addWidget(widget, 0, 0);
        mcolPages.push_back({pageKey(i), widget, page});
    }
}

IVXPage* MainPages::page(int number) const
{
    if (number < 1 || number > static_cast<int>(mcolPages.size()))
        return nullptr;
    return mcolPages[static_cast<std::size_t>(number - 1)].page;
}

IVXPage* MainPages::page(const QString& key) const
{
    for (const Page& entry : mcolPages) {
        if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return entry.page;
    }
    return nullptr;
}

QWidget* MainPages::widget(int number) const
{
    if (number < 1 || number > static_cast<int>(mcolPages.size()))
        return nullptr;
    return mcolPages[static_cast<std::size_t>(number - 1)].widget;
}

void MainPages::forEach(const std::function<void(IVXPage&)>& call) const
{
    for (const Page& entry : mcolPages)
        call(*entry.page);
}

void MainPages::show(int number) const
{
    QWidget* shown = widget(number);
    if (shown != nullptr)
        shown->setVisible(true);
    for (const Page& entry : mcolPages) {
        if (entry.widget != shown)
            entry.widget->setVisible(false);
    }
    if (shown != nullptr)
        shown->setFocus();
}
