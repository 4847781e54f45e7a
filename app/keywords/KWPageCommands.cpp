#include "app/keywords/KWPageCommands.h"

#include <algorithm>

#include <QStringList>

#include "app/keywords/FReorderWords.h"
#include "app/keywords/FReorderWordsL.h"
#include "app/keywords/KWExporter.h"
#include "app/keywords/KWFinder.h"
#include "app/keywords/KWGridModel.h"
#include "app/keywords/KWOwner.h"
#include "app/keywords/KWPageQuery.h"
#include "app/keywords/KWPattern.h"
#include "app/keywords/KWServices.h"
#include "app/keywords/KWStore.h"
#include "app/shell/LoggingGuard.h"
#include "app/shell/StringTable.h"
#include "app/shell/WaitCursor.h"
#include "engine/platform/ZError.h"

namespace {

const QString kMovedMessageValue = QStringLiteral("Do not show Keywords Moved message");

} // namespace

void KWPageCommands::init(KWStore* store, KWServices* services, KWOwner* owner)
{
    m_store = store;
    m_services = services;
    m_owner = owner;
}

void KWPageCommands::refreshTab(Tab::Number tab) const
{
    if (m_owner)
        m_owner->RefreshTab(tab);
}

KWRecords KWPageCommands::Fetch(int rowCap, bool excludeGrouped) const
{
    std::optional<KWStore::Query> query = KWPageQuery::For(m_pageType, m_groupId);
    if (!m_store || !query)
        return {};
    query->maxCount = rowCap;
    query->excludeGrouped = excludeGrouped && m_pageType == KWPageType::Keywords;
    return m_store->getKWsEx(*query);
}

void KWPageCommands::Rank(const QList<int>& ids, int relevancy, QWidget* parent)
{
    if (!m_store || ids.isEmpty())
        return;
    m_store->SetRelevancy(ids, relevancy);
    const bool candidates = m_pageType == KWPageType::Candidates;
    const bool banned = m_pageType == KWPageType::Banned;
    if (candidates)
        refreshTab(Tab::Raw);
    if (!(relevancy == 0 && (candidates || banned))) {
        refreshTab(Tab::KWs);
        refreshTab(Tab::Groups);
    }
    if (relevancy == 0 || banned)
        refreshTab(Tab::Banned);
    if (candidates && relevancy >= 1)
        showMovedMessage(parent);
}

void KWPageCommands::showMovedMessage(QWidget* parent)
{
    if (m_noMovedMessage || !m_services)
        return;
    std::int32_t value = 0;
    if (m_services->ReadLong(KWServices::ProgramKey(), kMovedMessageValue, value) && value != 0)
        return;
    if (m_services->ShowSingleTimeMsg(parent, StringTable::text(137))) {
        m_noMovedMessage = true;
        m_services->WriteLong(KWServices::ProgramKey(), kMovedMessageValue, -1);
    }
}

bool KWPageCommands::Delete(const QList<int>& ids)
{
    if (ids.isEmpty() || !m_services || !m_store)
        return false;
    if (m_services->ShowMsg(StringTable::text(129), 49) != KWServices::OK)
        return false;
    m_store->DeleteKWs(ids);
    refreshTab(PageTypeToTab(m_pageType));
    if (m_pageType == KWPageType::Group)
        refreshTab(Tab::KWs);
    else if (m_pageType == KWPageType::Keywords)
        refreshTab(Tab::Groups);
    return true;
}

QString KWPageCommands::SwappedWords(const QString& kw)
{
    const QStringList words = kw.split(QLatin1Char(' '));
    return words.size() == 2 ? words[1] + QLatin1Char(' ') + words[0] : QString();
}

std::optional<QString> KWPageCommands::AskNewOrder(const QString& kw, const KWIcons* icons,
                                                   const QString& iconKey, QWidget* parent)
{
    const qsizetype words = kw.split(QLatin1Char(' ')).size();
    if (words < 2)
        return std::nullopt;
    if (words == 2)
        return SwappedWords(kw);
    if (words == 3)
        return askOrder<FReorderWords>(kw, icons, iconKey, parent);
    return askOrder<FReorderWordsL>(kw, icons, iconKey, parent);
}

template <class Dialog>
std::optional<QString> KWPageCommands::askOrder(const QString& kw, const KWIcons* icons,
                                                const QString& iconKey, QWidget* parent)
{
    Dialog dialog(parent);
    dialog.init(m_services, kw, icons, iconKey);
    m_services->ExecDialog(dialog);
    if (!dialog.OKPressed())
        return std::nullopt;
    return dialog.SelectedOrder();
}

bool KWPageCommands::Respell(const QString& newText)
{
    return m_store && m_store->UpdateKW(newText);
}

bool KWPageCommands::AddToGroup(const QList<int>& ids, QWidget* parent)
{
    if (!m_owner || !m_store || !m_services)
        return false;
    const bool withRank = m_pageType == KWPageType::Candidates || m_pageType == KWPageType::Banned;
    int group = 0;
    int rank = -1;
    if (!m_owner->PickGroup(parent, StringTable::text(166), StringTable::text(167), withRank, group,
                            rank))
        return false;
    // Here a pick ranks the keywords, so that they leave the page for the group; one without a
    // rank would file them where no page shows them.
    const bool ranked = rank >= 1 && rank <= 5;
    if (withRank && !ranked)
        return false;
    if (withRank)
        m_store->SetRelevancy(ids, rank);
    m_store->AddToGroup(ids, group);
    if (m_refreshPage)
        m_refreshPage();
    if (m_pageType != KWPageType::Group)
        refreshTab(Tab::Groups);
    if (withRank)
        refreshTab(Tab::KWs);
    return true;
}

bool KWPageCommands::MoveToGroup(const QList<int>& ids, QWidget* parent)
{
    if (!m_owner || !m_store || !m_services)
        return false;
    int group = 0;
    int rank = -1;
    if (!m_owner->PickGroup(parent, StringTable::text(164), StringTable::text(165), false, group,
                            rank))
        return false;
    m_store->MoveToGroup(ids, m_groupId, group);
    if (m_pageType != KWPageType::Group)
        refreshTab(PageTypeToTab(m_pageType));
    refreshTab(Tab::Groups);
    return true;
}

bool KWPageCommands::RemoveFromGroup(const QList<int>& ids)
{
    if (!m_owner || !m_store || !m_services)
        return false;
    if (m_services->ShowMsg(StringTable::text(168), 52) != KWServices::Yes)
        return false;
    m_store->RemoveFromGroup(ids, m_groupId);
    refreshTab(PageTypeToTab(m_pageType));
    return true;
}

void KWPageCommands::ExportAll(QWidget* parent)
{
    if (m_rows->rowCount() == 0 || !m_store || !m_services)
        return;
    KWExportTable table;
    {
        const WaitCursor wait;
        table = KWExporter::AllTable(*m_store, m_pageType, m_groupId);
    }
    if (!table.empty())
        KWExporter::ExportWords(std::move(table), *m_services, parent,
                                m_store->ProjectDBFilename());
}

void KWPageCommands::ExportRows(const QList<int>& rows, QWidget* parent)
{
    if (rows.isEmpty() || !m_services)
        return;
    KWExporter::ExportWords(KWExporter::GridTable(*m_rows, rows), *m_services, parent,
                            m_store ? m_store->ProjectDBFilename() : QString());
}

void KWPageCommands::ExportTop(int index, QWidget* parent)
{
    static const int tops[] = {10, 20, 50, 100};
    if (index < 0 || index > 3)
        return;
    QList<int> rows;
    for (int row = 0; row < std::min(tops[index], m_rows->rowCount()); ++row)
        rows << row;
    ExportRows(rows, parent);
}

void KWPageCommands::ExportWords()
{
    if (m_rows->rowCount() == 0 || !m_services)
        return;
    const QStringList words = KWExporter::UsedWords(*m_rows);
    if (words.isEmpty()) // nothing to show: the command ends as an error, logged only
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("No word of two or more characters. "),
                              QStringLiteral("ucKW.mnuContextExportWords_Click"));
    m_services->AskInput(QStringLiteral("Used words: "), QString(),
                         words.join(QStringLiteral(", ")));
}

bool KWPageCommands::compilePattern(const QString& pattern, std::vector<KWPattern>& out,
                                    const QString& source)
{
    try {
        out.emplace_back(pattern);
        return true;
    } catch (const zentrel::ZError& error) {
        LoggingGuard(LoggingGuard::writerOf(m_services), 4, source).write(error);
        m_services->ShowMsg(error.description() + QStringLiteral(": ") + pattern, 48);
        return false;
    }
}

std::optional<int> KWPageCommands::Find()
{
    if (!m_services)
        return std::nullopt;
    m_findPattern = KWFinder::FindPattern(m_services->AskInput(StringTable::text(113)));
    if (m_findPattern.isEmpty())
        return std::nullopt;
    std::vector<KWPattern> patterns;
    if (!compilePattern(m_findPattern, patterns, QStringLiteral("ucKW.mnuFindKW_Click")))
        return -1;
    return KWFinder::FirstMatch(*m_rows, patterns.front(), 0);
}

std::optional<int> KWPageCommands::FindNext(const QList<int>& selectedRows)
{
    if (m_findPattern.isEmpty() || selectedRows.isEmpty() || !m_services)
        return std::nullopt;
    std::vector<KWPattern> patterns;
    if (!compilePattern(m_findPattern, patterns, QStringLiteral("ucKW.mnuFindNextKW_Click")))
        return -1;
    return KWFinder::FirstMatch(*m_rows, patterns.front(), selectedRows.first() + 1);
}

std::optional<QList<int>> KWPageCommands::SelectByWords()
{
    if (!m_services)
        return std::nullopt;
    const QString answer = m_services->AskInput(StringTable::text(114));
    if (answer.isEmpty())
        return std::nullopt;
    std::vector<KWPattern> patterns;
    for (const QString& pattern : KWFinder::SelectPatterns(answer))
        if (!compilePattern(pattern, patterns, QStringLiteral("ucKW.mnuSelectByWildCard_Click")))
            return std::nullopt;
    return patterns.empty() ? QList<int>() : KWFinder::Matches(*m_rows, patterns);
}
