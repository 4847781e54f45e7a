#include "app/collect/MainWindowKWOwner.h"

#include <QHash>

#include "app/collect/FMoveToGroup.h"
#include "app/keywords/KWProgramServices.h"
#include "app/shell/DrawnIcons.h"
#include "app/shell/FMain.h"
#include "app/shell/MMisc.h"
#include "app/shell/StatusPanel.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"

QString MainWindowKWOwner::menuOf(const QString& command)
{
    static const QHash<QString, QString> menus = {
        {QStringLiteral("AddKeywords"), QStringLiteral("mnuAddKeywords")},
        {QStringLiteral("PasteKWs"), QStringLiteral("mnuPaste")},
        {QStringLiteral("ImportFromLocalPage"), QStringLiteral("mnuPickFromLocalPage")},
        {QStringLiteral("ImportFromURL"), QStringLiteral("mnuPickFromURL")},
        {QStringLiteral("ImportFromSite"), QStringLiteral("mnuCollectFromWebsite")},
        {QStringLiteral("ImportFromGoogle"), QStringLiteral("mnuCollectFromPagesByKW")},
        {QStringLiteral("ImportFromCache"), QStringLiteral("mnuImportFromCache")},
    };
    return menus.value(command);
}

void MainWindowKWOwner::RefreshTab(int tab)
{
    m_window->RefreshTab(tab);
}

void MainWindowKWOwner::SetRankMode(bool advanced)
{
    m_window->SetRankMode(advanced);
}

QIcon MainWindowKWOwner::Panel1Picture() const
{
    const QPixmap picture = m_window->panel(1)->picture();
    return picture.isNull() ? QIcon() : QIcon(picture);
}

QIcon MainWindowKWOwner::Panel4Picture() const
{
    return DrawnIcons::attentionIcon();
}

void MainWindowKWOwner::SetPanel1(const QString& text, const QIcon& picture)
{
    StatusPanel* panel = m_window->panel(1);
    panel->setText(text);
    panel->setPicture(picture.isNull() ? QPixmap() : picture.pixmap(16, 16));
}

bool MainWindowKWOwner::PickGroup(QWidget* parent, const QString& caption, const QString& prompt,
                                  bool withRank, int& groupId, int& relevancy)
{
    KWProgramServices services(m_window->Log());
    FMoveToGroup picker(parent ? parent->window() : m_window);
    picker.init(&services, m_window->database(), &m_groupPicks);
    return picker.ShowPicker(caption, prompt, withRank, groupId, false, 0, &relevancy);
}

void MainWindowKWOwner::Collect(const QString& command)
{
    const QString menu = menuOf(command);
    if (!menu.isEmpty())
        m_window->RunCommand(menu);
}

void MainWindowKWOwner::CollectBySelectedKeyword(const QString& kw)
{
    zentrel::Scripting* scripting = m_window->scripting();
    if (scripting != nullptr && scripting->SEContacter() != nullptr)
        scripting->SEContacter()->GetSER(zentrel::seGoogle, kw,
                                         std::make_shared<zentrel::CKeyedCollection>());
}

void MainWindowKWOwner::OpenSERForKW(const QString& kw, int engine)
{
    MMisc::OpenSERForKW(kw, engine, m_window->Log());
}
