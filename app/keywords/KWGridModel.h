#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSet>

#include "app/keywords/KWRecord.h"

class KWIcons;

// One grid row with the texts it shows.
struct KWGridRow {
    int id = 0;
    QString keyword;
    int searches = -1;
    int relevancy = -1;
    QString searchesText;
    QString relevancyName;
    QString scoreText;
    QString iconKey;
    std::uint64_t sequence = 0; // arrival order; breaks ties between equal score texts

    QString key() const { return QString::number(id) + QLatin1Char('_'); }
};

// The keyword grid: rows sorted by the score text, highest first, ties in arrival order.
class KWGridModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWGridModel)

public:
    enum Column { Keyword, Searches, Relevancy, Score, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;
    static constexpr int IdRole = Qt::UserRole + 1;

    explicit KWGridModel(const KWIcons* icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const KWGridRow& rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    int rowOfId(int id) const { return m_rowOfId.value(id, -1); }

    // Brings the rows in line with the result (its first `cap` rows): rows no longer wanted go,
    // rows whose score text is unchanged are updated in place, the others are taken out and put
    // back at their new place. Returns the ids, among those taken out and put back, that are in
    // `selectedIds`, so that the caller selects them again.
    QList<int> refresh(const KWRecords& result, int cap, const QSet<int>& selectedIds);
    void clear();
    void setKeywordText(int row, const QString& text);

    static KWGridRow makeRow(const KWRecord& record);

private:
    bool updateInPlace(KWGridRow& row, const KWRecord& record);
    void removeMarked(const std::vector<bool>& remove);
    void insertSorted(std::vector<KWGridRow> rows);
    void rebuildIndex();
    static bool before(const KWGridRow& a, const KWGridRow& b);

    const KWIcons* m_icons;
    std::vector<KWGridRow> m_rows;
    QHash<int, int> m_rowOfId;
    std::uint64_t m_nextSequence = 0;
};
