#include "app/collect/DLoadListModel.h"

#include <algorithm>
#include <limits>

#include "engine/platform/ZError.h"

namespace {

constexpr std::uint32_t kOverflow = 0x800A0006u;
const QString kStartSource = QStringLiteral("DLoadListModel.addStarted");

} // namespace

DLoadListModel::DLoadListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

int DLoadListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant DLoadListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DLoadRow& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.address;
    case Qt::ToolTipRole:
        return row.cancelled ? cancelledText(row.address) : row.address;
    case Qt::DecorationRole:
        return row.cancelled && !m_cancelledPicture.isNull() ? QVariant(m_cancelledPicture)
                                                             : QVariant();
    case NumberRole:
        return row.number;
    default:
        return {};
    }
}

void DLoadListModel::addFirst(const QString& address, std::int32_t number)
{
    beginInsertRows({}, 0, 0);
    m_rows.push_back({address, number, false, {}});
    endInsertRows();
}

std::int32_t DLoadListModel::addStarted(const QString& cookie, const QString& address)
{
    if (m_runningNumber == std::numeric_limits<std::int32_t>::max())
        throw zentrel::ZError(kOverflow, QStringLiteral("Overflow"), kStartSource);
    if (m_numberOfCookie.contains(cookie))
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("The cookie '%1' is listed already. ").arg(cookie),
                              kStartSource);
    ++m_runningNumber;
    beginInsertRows({}, 0, 0);
    m_rows.push_back({address, m_runningNumber, false, cookie});
    endInsertRows();
    m_numberOfCookie.insert(cookie, m_runningNumber);
    return m_runningNumber;
}

std::optional<std::int32_t> DLoadListModel::numberOfCookie(const QString& cookie) const
{
    const auto found = m_numberOfCookie.constFind(cookie);
    if (found == m_numberOfCookie.cend())
        return std::nullopt;
    return *found;
}

void DLoadListModel::forgetCookies()
{
    m_numberOfCookie.clear();
    for (DLoadRow& row : m_rows)
        row.cookie.clear();
}

int DLoadListModel::rowOfNumber(std::int32_t number) const
{
    // The current downloads come in with rising, unique numbers, so a binary search finds them;
    // a list filled in another order falls back to a scan from the top.
    const auto byNumber = [](const DLoadRow& row, std::int32_t n) { return row.number < n; };
    const auto found = std::lower_bound(m_rows.begin(), m_rows.end(), number, byNumber);
    if (found != m_rows.end() && found->number == number)
        return shownRow(static_cast<std::size_t>(found - m_rows.begin()));
    for (int row = 0; row < count(); ++row) {
        if (rowAt(row).number == number)
            return row;
    }
    return -1;
}

QString DLoadListModel::takeRow(int row)
{
    if (row < 0 || row >= count())
        return {};
    const std::size_t index = storedIndex(row);
    beginRemoveRows({}, row, row);
    const auto listed = m_numberOfCookie.constFind(m_rows[index].cookie);
    if (listed != m_numberOfCookie.cend() && *listed == m_rows[index].number)
        m_numberOfCookie.erase(listed);
    QString address = std::move(m_rows[index].address);
    m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(index));
    endRemoveRows();
    return address;
}

void DLoadListModel::markCancelled(int row)
{
    if (row < 0 || row >= count() || m_rows[storedIndex(row)].cancelled)
        return;
    m_rows[storedIndex(row)].cancelled = true;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {Qt::ToolTipRole, Qt::DecorationRole});
}

QString DLoadListModel::cancelledText(const QString& address)
{
    return QStringLiteral("Download cancelled: ") + address;
}

void DLoadListModel::clear()
{
    m_numberOfCookie.clear();
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}
