#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include <QAbstractListModel>
#include <QPixmap>
#include <QString>

// One row of a downloads list: the address, the download's running number and whether the user
// cancelled it (it stays listed until the downloader reports its end).
struct DLoadRow {
    QString address;
    std::int32_t number = 0;
    bool cancelled = false;
};

// A list of downloads shown newest first. Rows are kept oldest first, so that adding a row and
// taking the oldest cost no shifting of the others.
class DLoadListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DLoadListModel)

public:
    // The running number of a row (its item data).
    static constexpr int NumberRole = Qt::UserRole;

    explicit DLoadListModel(QObject* parent = nullptr);

    // The picture a cancelled row shows.
    void setCancelledPicture(const QPixmap& picture) { m_cancelledPicture = picture; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Puts the row at the top.
    void addFirst(const QString& address, std::int32_t number);
    // The shown row (from the top) of the first row with the number; -1 when none has it.
    int rowOfNumber(std::int32_t number) const;
    // Removes the shown row and returns its address.
    QString takeRow(int row);
    // Shows the row as cancelled.
    void markCancelled(int row);
    void clear();

    const DLoadRow& rowAt(int row) const { return m_rows[storedIndex(row)]; }
    int count() const { return static_cast<int>(m_rows.size()); }
    // What a cancelled row's tooltip and status-bar panel 3 say.
    static QString cancelledText(const QString& address);

private:
    std::size_t storedIndex(int row) const
    {
        return m_rows.size() - 1 - static_cast<std::size_t>(row);
    }
    int shownRow(std::size_t index) const { return static_cast<int>(m_rows.size() - 1 - index); }

    std::deque<DLoadRow> m_rows; // oldest first
    QPixmap m_cancelledPicture;
};
