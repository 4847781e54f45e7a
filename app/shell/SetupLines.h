#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

#include "app/shell/SetupLineParser.h"

// The usable lines of a SetupKWs.txt, handed out in the cache's key order (equal keys in file
// order), so that the rows fill the table's pages one after the other. The text is parsed in
// pieces on a few threads, each piece's rows dealt into ranges of keys split at a sample of
// the file's keys; the ranges are sorted on those threads while the first ones are stored.
class SetupLines {
public:
    explicit SetupLines(const QByteArray& text);

    int skipped() const { return m_skipped; }

    // Hands every row to store in key order, on the calling thread; the keyword's bytes last
    // until store returns.
    void
    forEachInKeyOrder(const std::function<void(QByteArrayView keyword, int count)>& store) const;

private:
    size_t rangeOf(quint64 prefix) const;

    std::vector<quint64> m_splitters; // a range holds the prefixes below its splitter
    std::vector<SetupLineParser> m_pieces;
    std::vector<std::vector<std::vector<quint32>>>
        m_ranges; // per piece and range: rows in file order
    int m_skipped = 0;
};
