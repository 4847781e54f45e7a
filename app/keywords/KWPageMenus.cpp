#include "app/keywords/KWPageMenus.h"

#include <utility>

#include <QMenu>

namespace {

using Command = KWCommandTable::Command;

QAction* addItem(QMenu* menu, const QString& caption, const KWPageMenus::Run& run, Command command,
                 int index = 0)
{
    return menu->addAction(caption, menu, [run, command, index] { run({command, index}); });
}

} // namespace

KWPageMenus::GroupItems KWPageMenus::BuildContextMenu(QMenu* menu, const Run& run)
{
    addItem(menu, QStringLiteral("&Collect From Pages Found By Selected Keyword"), run,
            Command::CollectBySelectedKeyword);
    menu->addSeparator();
    QMenu* open = menu->addMenu(QStringLiteral("Open Search Engine Results"));
    const char* const engines[] = {"&Google",   "&All The Web", "A&ltavista", "&Yahoo",
                                   "&Overture", "&Teoma",       "&MSN Search"};
    for (int i = 1; i <= 7; ++i)
        addItem(open, QString::fromLatin1(engines[i - 1]), run, Command::OpenSER, i);
    menu->addSeparator();
    addItem(menu, QStringLiteral("Copy"), run, Command::Copy);
    menu->addSeparator();
    addItem(menu, QStringLiteral("Put To Group..."), run, Command::AddToGroup);
    GroupItems items;
    items.moveToGroup =
        addItem(menu, QStringLiteral("Move To Group..."), run, Command::MoveToGroup);
    items.removeFromGroup =
        addItem(menu, QStringLiteral("Remove From This Group"), run, Command::RemoveFromGroup);
    menu->addSeparator();
    addItem(menu, QStringLiteral("Select..."), run, Command::SelectByWords);
    menu->addSeparator();
    addItem(menu, QStringLiteral("&Find..."), run, Command::Find);
    addItem(menu, QStringLiteral("Find &Next"), run, Command::FindNext);
    menu->addSeparator();
    addItem(menu, QStringLiteral("&Reorder Words"), run, Command::ReorderWords);
    QMenu* exports = menu->addMenu(QStringLiteral("&Export"));
    addItem(exports, QStringLiteral("&All Keywords..."), run, Command::ExportAll);
    addItem(exports, QStringLiteral("&Selected Keywords..."), run, Command::ExportSelected);
    exports->addSeparator();
    addItem(exports, QStringLiteral("&Words..."), run, Command::ExportWords);
    QMenu* rank = menu->addMenu(QStringLiteral("&Rank Keyword(s)"));
    const char* const ranks[] = {"The &Best!",  "&It's Mine!", "&More Or Less", "May &Be",
                                 "&Who Knows?", "-",           "Ba&n"};
    for (int i = 0; i < 7; ++i) {
        if (i == 5)
            rank->addSeparator();
        else
            addItem(rank, QString::fromLatin1(ranks[i]), run, Command::SetRelevancy, i);
    }
    addItem(menu, QStringLiteral("&Delete"), run, Command::Delete);
    return items;
}

void KWPageMenus::BuildCollectMenu(QMenu* menu, const Run& run, const Collect& collect)
{
    const std::pair<const char*, const char*> items[] = {
        {"Paste...", "PasteKWs"},
        {"Pick From &Local Page...", "ImportFromLocalPage"},
        {"Pick From &URL...", "ImportFromURL"},
        {"Collect From &Website...", "ImportFromSite"},
        {"Collect From Pages Found By &Keyword...", "ImportFromGoogle"},
        {"Collect From Pages Found By &Selected Keyword", nullptr},
        {"Import From &Database...", "ImportFromCache"},
    };
    for (const auto& [caption, command] : items) {
        const QString name = command ? QString::fromLatin1(command) : QString();
        menu->addAction(QString::fromLatin1(caption), menu, [run, collect, name] {
            if (name.isEmpty())
                run({Command::CollectBySelectedKeyword, 0});
            else
                collect(name);
        });
    }
}
