#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include <QAbstractListModel>
#include <QHash>
#include <QPixmap>
#include <QString>

// One row of a downloads list: the address, the download's running number, the downloader's
// cookie of a running download and whether the user cancelled it (it stays listed until the
// downloader reports its end).
struct DLoadRow {
    QString address;
    std::int32_t number = 0;
    bool cancelled = false;
    QString cookie;
};

// A list of downloads shown newest first. Rows are kept oldest first, so that adding a row and
// taking the oldest cost no shifting of the others. The list of running downloads numbers them
// as they start and finds them by their cookie.
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
    // Puts a started download at the top under the next running number and returns that
    // number. Throws ZError, changing nothing, when the numbers run out or the cookie is listed.
    std::int32_t addStarted(const QString& cookie, const QString& address);
    // The running number listed under the cookie.
    std::optional<std::int32_t> numberOfCookie(const QString& cookie) const;
    // Lets go of every cookie; the rows stay.
    void forgetCookies();
    // The last running number given; never reset.
    std::int32_t runningNumber() const { return m_runningNumber; }
    // The shown row (from the top) of the first row with the number; -1 when none has it.
    int rowOfNumber(std::int32_t number) const;
    // Removes the shown row, and its cookie, and returns its address.
    QString takeRow(int row);
    // Shows the row as cancelled.
    void markCancelled(int row);
    // Removes every row and cookie.
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
    QHash<QString, std::int32_t> m_numberOfCookie;
    std::int32_t m_runningNumber = 0;
    QPixmap m_cancelledPicture;
};
