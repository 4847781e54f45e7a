#include "app/keywords/KWPageMenus.h"

#include <utility>

#include <QMenu>

#include "app/keywords/ucKW.h"

KWPageMenus::GroupItems KWPageMenus::BuildContextMenu(ucKW& page, QMenu* menu)
{
    ucKW* p = &page;
    menu->addAction(QStringLiteral("&Collect From Pages Found By Selected Keyword"), p,
                    &ucKW::mnuCrawlSEforKW_Click);
    menu->addSeparator();
    QMenu* open = menu->addMenu(QStringLiteral("Open Search Engine Results"));
    const char* const engines[] = {"&Google",   "&All The Web", "A&ltavista", "&Yahoo",
                                   "&Overture", "&Teoma",       "&MSN Search"};
    for (int i = 1; i <= 7; ++i)
        open->addAction(QString::fromLatin1(engines[i - 1]), p, [p, i] { p->mnuOpenSE_Click(i); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy"), p, &ucKW::mnuCopyKW_Click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Put To Group..."), p, &ucKW::mnuAddToGroup_Click);
    GroupItems items;
    items.moveToGroup =
        menu->addAction(QStringLiteral("Move To Group..."), p, &ucKW::mnuMoveToGroup_Click);
    items.removeFromGroup = menu->addAction(QStringLiteral("Remove From This Group"), p,
                                            &ucKW::mnuRemoveFromGroup_Click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Select..."), p, &ucKW::mnuSelectByWildCard_Click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Find..."), p, &ucKW::mnuFindKW_Click);
    menu->addAction(QStringLiteral("Find &Next"), p, &ucKW::mnuFindNextKW_Click);
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Reorder Words"), p, &ucKW::ReorderWords);
    QMenu* exports = menu->addMenu(QStringLiteral("&Export"));
    exports->addAction(QStringLiteral("&All Keywords..."), p, &ucKW::mnuExportAll_Click);
    exports->addAction(QStringLiteral("&Selected Keywords..."), p, &ucKW::mnuExportSelected_Click);
    exports->addSeparator();
    exports->addAction(QStringLiteral("&Words..."), p, &ucKW::mnuContextExportWords_Click);
    QMenu* rank = menu->addMenu(QStringLiteral("&Rank Keyword(s)"));
    const char* const ranks[] = {"The &Best!",  "&It's Mine!", "&More Or Less", "May &Be",
                                 "&Who Knows?", "-",           "Ba&n"};
    for (int i = 0; i < 7; ++i) {
        if (i == 5)
            rank->addSeparator();
        else
            rank->addAction(QString::fromLatin1(ranks[i]), p,
                            [p, i] { p->mnuSetRelevancySetN_Click(i); });
    }
    menu->addAction(QStringLiteral("&Delete"), p, &ucKW::mnuDeleteKWs_Click);
    return items;
}

void KWPageMenus::BuildCollectMenu(ucKW& page, QMenu* menu)
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
    ucKW* p = &page;
    for (const auto& [caption, command] : items) {
        const QString name = command ? QString::fromLatin1(command) : QString();
        menu->addAction(QString::fromLatin1(caption), p, [p, name] {
            if (name.isEmpty())
                p->mnuCrawlSEforKW_Click();
            else
                p->Collect(name);
        });
    }
}
