#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

// The usable lines of a SetupKWs.txt (count, tab, keyword): each keyword trimmed, lower-cased
// and in the cache's normalised form, with its whole count. The text is parsed and sorted in
// pieces on a few threads; the rows come out in the cache's key order, so that they fill the
// table's pages one after the other. Equal keys keep their file order.
class SetupLines {
public:
    explicit SetupLines(const QByteArray& text);
    ~SetupLines();
    SetupLines(const SetupLines&) = delete;
    SetupLines& operator=(const SetupLines&) = delete;

    int skipped() const { return m_skipped; }
    size_t size() const;

    // Hands every row to store in key order; the keyword's bytes live as long as this object.
    void
    forEachInKeyOrder(const std::function<void(QByteArrayView keyword, int count)>& store) const;

    struct Run; // one piece's rows, sorted

private:
    std::vector<Run> m_runs;
    int m_skipped = 0;
};
