#include "app/collect/CacheKWListModel.h"

#include <algorithm>
#include <limits>

#include <QLocale>

#include "app/keywords/KWIcons.h"
#include "app/keywords/MMisc.h"

namespace {

constexpr int kSearchesWidth = 10;

int clampedCount(qint64 count)
{
    return static_cast<int>(std::min<qint64>(count, std::numeric_limits<int>::max()));
}

} // namespace

CacheKWListModel::CacheKWListModel(const KWIcons* icons, QObject* parent)
    : QAbstractTableModel(parent)
    , m_icons(icons)
{
}

QString CacheKWListModel::SearchesPerDayText(qint64 count)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(count) / 30.0, 'f', 1)
        .rightJustified(kSearchesWidth, QLatin1Char(' '));
}

int CacheKWListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CacheKWListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CacheKWListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CacheKWRow& entry = row(index.row());
    if (role == Qt::DisplayRole)
        return index.column() == Keyword ? entry.keyword : SearchesPerDayText(entry.count);
    if (role == Qt::DecorationRole && index.column() == Keyword && m_icons != nullptr)
        return m_icons->icon(MMisc::ScoreCode(clampedCount(entry.count), -1));
    if (role == Qt::TextAlignmentRole && index.column() == SearchesPerDay)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CacheKWListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Keyword:
        return QStringLiteral("Keyword");
    case SearchesPerDay:
        return QStringLiteral("Searches/day");
    default:
        return {};
    }
}

QStringList CacheKWListModel::keywords() const
{
    QStringList all;
    all.reserve(static_cast<qsizetype>(m_rows.size()));
    for (const CacheKWRow& entry : m_rows)
        all << entry.keyword;
    return all;
}

bool CacheKWListModel::contains(const QString& keyword) const
{
    return m_positions.contains(keyOf(keyword));
}

void CacheKWListModel::setRows(std::vector<CacheKWRow> rows)
{
    beginResetModel();
    m_rows.clear();
    m_positions.clear();
    m_rows.reserve(rows.size());
    for (CacheKWRow& entry : rows) {
        const QString key = keyOf(entry.keyword);
        if (m_positions.contains(key))
            continue;
        m_positions.insert(key, static_cast<int>(m_rows.size()));
        m_rows.push_back(std::move(entry));
    }
    endResetModel();
}

int CacheKWListModel::append(const std::vector<CacheKWRow>& rows)
{
    std::vector<CacheKWRow> fresh;
    QHash<QString, int> added;
    for (const CacheKWRow& entry : rows) {
        const QString key = keyOf(entry.keyword);
        if (m_positions.contains(key) || added.contains(key))
            continue;
        added.insert(key, 0);
        fresh.push_back(entry);
    }
    if (fresh.empty())
        return 0;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(fresh.size()) - 1);
    for (CacheKWRow& entry : fresh) {
        m_positions.insert(keyOf(entry.keyword), static_cast<int>(m_rows.size()));
        m_rows.push_back(std::move(entry));
    }
    endInsertRows();
    return static_cast<int>(fresh.size());
}

std::vector<CacheKWRow> CacheKWListModel::take(QList<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    positions.removeIf([this](int position) { return position < 0 || position >= rowCount(); });
    std::vector<CacheKWRow> taken;
    taken.reserve(static_cast<size_t>(positions.size()));
    for (const int position : positions)
        taken.push_back(row(position));
    // Runs of neighbouring rows go in one removal each, from the end so positions stay valid.
    qsizetype last = positions.size() - 1;
    while (last >= 0) {
        qsizetype first = last;
        while (first > 0 && positions.at(first - 1) == positions.at(first) - 1)
            --first;
        beginRemoveRows({}, positions.at(first), positions.at(last));
        m_rows.erase(m_rows.begin() + positions.at(first), m_rows.begin() + positions.at(last) + 1);
        endRemoveRows();
        last = first - 1;
    }
    reindex();
    return taken;
}

void CacheKWListModel::reindex()
{
    m_positions.clear();
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_positions.insert(keyOf(m_rows[i].keyword), static_cast<int>(i));
}
