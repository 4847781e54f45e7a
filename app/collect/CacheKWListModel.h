#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

class KWIcons;

// One keyword of the cache import's lists with its monthly count.
struct CacheKWRow {
    QString keyword;
    qint64 count = 0;
};

// A list of the cache import dialog: keyword (with the icon of its count) and searches per day,
// one row per keyword (case-blind), rows added and taken in batches.
class CacheKWListModel final : public QAbstractTableModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CacheKWListModel)

public:
    enum Column { Keyword, SearchesPerDay, ColumnCount };

    explicit CacheKWListModel(const KWIcons* icons, QObject* parent = nullptr);

    // The monthly count per day with one decimal in the user's locale, padded to 10 characters.
    static QString SearchesPerDayText(qint64 count);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const CacheKWRow& row(int position) const { return m_rows.at(static_cast<size_t>(position)); }
    QStringList keywords() const;
    bool contains(const QString& keyword) const;

    // Replaces every row (a keyword listed twice keeps its first row).
    void setRows(std::vector<CacheKWRow> rows);
    // Adds the rows whose keyword is not listed yet, at the end; how many were added.
    int append(const std::vector<CacheKWRow>& rows);
    // Removes the rows at the positions and returns them in list order.
    std::vector<CacheKWRow> take(QList<int> positions);

private:
    static QString keyOf(const QString& keyword) { return keyword.toCaseFolded(); }
    void reindex();

    const KWIcons* m_icons;
    std::vector<CacheKWRow> m_rows;
    QHash<QString, int> m_positions;
};
