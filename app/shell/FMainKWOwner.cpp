#include "app/shell/FMainKWOwner.h"

#include <QHash>

#include "app/shell/FMain.h"
#include "app/shell/MIcons.h"
#include "app/shell/StatusPanel.h"

QString FMainKWOwner::menuOf(const QString& command)
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

void FMainKWOwner::RefreshTab(int tab)
{
    m_window->RefreshTab(tab);
}

void FMainKWOwner::SetRankMode(bool advanced)
{
    m_window->SetRankMode(advanced);
}

QIcon FMainKWOwner::Panel1Picture() const
{
    const QPixmap picture = m_window->panel(1)->picture();
    return picture.isNull() ? QIcon() : QIcon(picture);
}

QIcon FMainKWOwner::Panel4Picture() const
{
    return MIcons::attentionIcon();
}

void FMainKWOwner::SetPanel1(const QString& text, const QIcon& picture)
{
    StatusPanel* panel = m_window->panel(1);
    panel->setText(text);
    panel->setPicture(picture.isNull() ? QPixmap() : picture.pixmap(16, 16));
}

bool FMainKWOwner::PickGroup(QWidget* parent, const QString& caption, const QString& prompt,
                             bool withRank, int& groupId, int& relevancy)
{
    return m_window->PickGroup(parent, caption, prompt, withRank, groupId, relevancy);
}

void FMainKWOwner::Collect(const QString& command)
{
    const QString menu = menuOf(command);
    if (!menu.isEmpty())
        m_window->RunCommand(menu);
}

void FMainKWOwner::CollectBySelectedKeyword(const QString& kw)
{
    m_window->CollectBySelectedKeyword(kw);
}

void FMainKWOwner::OpenSERForKW(const QString& kw, int engine)
{
    m_window->OpenSERForKW(kw, engine);
}
