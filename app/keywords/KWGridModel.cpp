#include "app/keywords/KWGridModel.h"

#include <algorithm>

#include "app/keywords/KWIcons.h"
#include "app/keywords/KWScore.h"
#include "app/keywords/MConst.h"
#include "app/keywords/MMisc.h"

KWGridModel::KWGridModel(const KWIcons* icons, QObject* parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
{
}

int KWGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int KWGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant KWGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const KWGridRow& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case Keyword:
            return row.keyword;
        case Searches:
            return row.searchesText;
        case Relevancy:
            return row.relevancyName;
        case Score:
            return row.scoreText;
        }
        break;
    case SortRole:
        switch (index.column()) {
        case Keyword:
            return row.keyword;
        case Searches:
            return row.searches;
        case Relevancy:
            return row.relevancy;
        case Score:
            return QVariant::fromValue<qint64>(KWScore::Score(row.searches, row.relevancy));
        }
        break;
    case IdRole:
        return row.id;
    case Qt::DecorationRole:
        if (index.column() == Keyword && m_icons && !row.iconKey.isEmpty())
            return m_icons->icon(row.iconKey);
        break;
    case Qt::TextAlignmentRole:
        switch (index.column()) {
        case Searches:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        case Relevancy:
        case Score:
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        default:
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
    default:
        break;
    }
    return {};
}

QVariant KWGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        static const char* const captions[] = {"Keyword", "Searches/day", "Relevancy", "Score"};
        return QString::fromLatin1(captions[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        if (section == Keyword)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        if (section == Searches)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

KWGridRow KWGridModel::makeRow(const KWRecord& record)
{
    KWGridRow row;
    row.id = record.id;
    row.keyword = record.kw;
    row.searches = record.searches;
    row.relevancy = record.relevancy;
    row.searchesText = KWScore::SearchesText(record.searches);
    row.relevancyName = MConst::RelevancyName(record.relevancy);
    row.scoreText = KWScore::ScoreText(record.searches, record.relevancy);
    row.iconKey = MMisc::ScoreCode(record.searches, record.relevancy);
    return row;
}

bool KWGridModel::before(const KWGridRow& a, const KWGridRow& b)
{
    const int order = a.scoreText.compare(b.scoreText);
    if (order != 0)
        return order > 0;
    return a.sequence < b.sequence;
}

bool KWGridModel::updateInPlace(KWGridRow& row, const KWRecord& record)
{
    KWGridRow fresh = makeRow(record);
    const bool changed = row.iconKey != fresh.iconKey || row.searchesText != fresh.searchesText ||
                         row.relevancyName != fresh.relevancyName;
    row.searches = record.searches;
    row.relevancy = record.relevancy;
    row.iconKey = std::move(fresh.iconKey);
    row.searchesText = std::move(fresh.searchesText);
    row.relevancyName = std::move(fresh.relevancyName);
    return changed;
}

QList<int> KWGridModel::refresh(const KWRecords& result, int cap, const QSet<int>& selectedIds)
{
    const std::size_t wantedCount =
        std::min(result.size(), static_cast<std::size_t>(std::max(cap, 0)));
    QHash<int, std::size_t> wanted;
    wanted.reserve(static_cast<qsizetype>(wantedCount));
    for (std::size_t i = 0; i < wantedCount; ++i)
        wanted.insert(result[i].id, i);

    std::vector<bool> remove(m_rows.size(), false);
    QSet<int> reselect;
    int firstChanged = -1;
    int lastChanged = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        KWGridRow& row = m_rows[i];
        const auto it = wanted.constFind(row.id);
        if (it == wanted.cend()) {
            remove[i] = true;
            continue;
        }
        const KWRecord& record = result[it.value()];
        const bool sameCounts =
            record.searches == row.searches && record.relevancy == row.relevancy;
        if (sameCounts || KWScore::ScoreText(record.searches, record.relevancy) == row.scoreText) {
            if (!sameCounts && updateInPlace(row, record)) {
                if (firstChanged < 0)
                    firstChanged = static_cast<int>(i);
                lastChanged = static_cast<int>(i);
            }
            wanted.erase(it);
        } else {
            if (selectedIds.contains(row.id))
                reselect.insert(row.id);
            remove[i] = true;
        }
    }
    if (firstChanged >= 0)
        emit dataChanged(index(firstChanged, 0), index(lastChanged, ColumnCount - 1));
    removeMarked(remove);

    std::vector<KWGridRow> added;
    const std::size_t room = wantedCount - std::min(m_rows.size(), wantedCount);
    for (std::size_t i = 0; i < wantedCount && added.size() < room; ++i) {
        if (!wanted.contains(result[i].id))
            continue;
        added.push_back(makeRow(result[i]));
        added.back().sequence = m_nextSequence++;
    }
    insertSorted(std::move(added));
    rebuildIndex();

    QList<int> ids;
    for (const int id : std::as_const(reselect))
        if (m_rowOfId.contains(id))
            ids << id;
    return ids;
}

void KWGridModel::removeMarked(const std::vector<bool>& remove)
{
    // Contiguous runs, from the end so that earlier positions stay valid.
    int last = static_cast<int>(remove.size()) - 1;
    while (last >= 0) {
        if (!remove[static_cast<std::size_t>(last)]) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && remove[static_cast<std::size_t>(first - 1)])
            --first;
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
}

void KWGridModel::insertSorted(std::vector<KWGridRow> rows)
{
    if (rows.empty())
        return;
    std::stable_sort(rows.begin(), rows.end(), before);
    if (m_rows.empty()) {
        beginInsertRows({}, 0, static_cast<int>(rows.size()) - 1);
        m_rows = std::move(rows);
        endInsertRows();
        return;
    }
    // One insertion per run of new rows that land between the same two existing rows.
    std::size_t j = 0;
    while (j < rows.size()) {
        const auto at = std::upper_bound(m_rows.begin(), m_rows.end(), rows[j], before);
        const std::size_t position = static_cast<std::size_t>(at - m_rows.begin());
        std::size_t end = j + 1;
        while (end < rows.size() && (position == m_rows.size() || before(rows[end], *at)))
            ++end;
        beginInsertRows({}, static_cast<int>(position), static_cast<int>(position + end - j) - 1);
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(position),
                      std::make_move_iterator(rows.begin() + static_cast<std::ptrdiff_t>(j)),
                      std::make_move_iterator(rows.begin() + static_cast<std::ptrdiff_t>(end)));
        endInsertRows();
        j = end;
    }
}

void KWGridModel::rebuildIndex()
{
    m_rowOfId.clear();
    m_rowOfId.reserve(static_cast<qsizetype>(m_rows.size()));
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        m_rowOfId.insert(m_rows[i].id, static_cast<int>(i));
}

void KWGridModel::clear()
{
    if (m_rows.empty())
        return;
    beginRemoveRows({}, 0, static_cast<int>(m_rows.size()) - 1);
    m_rows.clear();
    m_rowOfId.clear();
    endRemoveRows();
}

void KWGridModel::setKeywordText(int row, const QString& text)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows[static_cast<std::size_t>(row)].keyword = text;
    emit dataChanged(index(row, Keyword), index(row, Keyword));
}
