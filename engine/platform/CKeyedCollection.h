#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QHash>
#include <QString>
#include <QVariant>

namespace zentrel {

// A 1-based list of items (strings, numbers or shared objects held in a QVariant), each with an
// optional key. Keys are compared without regard to case. Not thread-safe: a collection handed to
// a worker becomes that worker's data.
class CKeyedCollection {
public:
    int Count() const { return static_cast<int>(m_entries.size()); }

    // Appends the item, or inserts it before/after the 1-based position given.
    // Raises when the key is already present or a position is out of range.
    void Add(const QVariant& item, const QString& key = {}, std::optional<int> before = {},
             std::optional<int> after = {});

    void Remove(int index);
    void Remove(const QString& key);

    const QVariant& Item(int index) const;
    const QVariant& Item(const QString& key) const;
    bool Exists(const QString& key) const;

    void Clear();

    // Shared objects are stored as std::shared_ptr<T> inside the variant.
    template <class T>
    void AddObject(std::shared_ptr<T> object, const QString& key = {})
    {
        Add(QVariant::fromValue(std::move(object)), key);
    }
    template <class T>
    std::shared_ptr<T> Object(const QString& key) const
    {
        return Item(key).value<std::shared_ptr<T>>();
    }

    // Enumeration in order.
    auto begin() const { return m_items.cbegin(); }
    auto end() const { return m_items.cend(); }

private:
    static QString foldKey(const QString& key) { return key.toCaseFolded(); }
    int checkedPosition(int index) const;
    void reindexFrom(int position);

    std::vector<QString> m_entries; // folded key per position, empty when none
    std::vector<QVariant> m_items;
    QHash<QString, int> m_positions; // folded key -> 0-based position
};

using CKeyedCollectionPtr = std::shared_ptr<CKeyedCollection>;

} // namespace zentrel

Q_DECLARE_METATYPE(zentrel::CKeyedCollectionPtr)
