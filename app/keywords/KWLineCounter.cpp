#include "app/keywords/KWLineCounter.h"

#include <algorithm>

#include <QTextBlock>
#include <QTextDocument>

KWLineCounter::KWLineCounter(QTextDocument* document)
    : QObject(document)
    , m_document(document)
{
    connect(document, &QTextDocument::contentsChange, this, &KWLineCounter::contentsChange);
    recountAll();
}

// The blocks from the one holding `from` to the one holding the end of the added text replace
// as many old ones, give or take the blocks the edit added or removed.
void KWLineCounter::contentsChange(int from, int, int added)
{
    const int last = std::min(from + added, m_document->characterCount() - 1);
    const int first = m_document->findBlock(from).blockNumber();
    const int newCount = m_document->findBlock(last).blockNumber() - first + 1;
    const int oldCount = newCount + static_cast<int>(m_blockKeys.size()) - m_document->blockCount();
    if (first < 0 || newCount < 1 || oldCount < 0 ||
        first + oldCount > static_cast<int>(m_blockKeys.size())) {
        recountAll();
        return;
    }
    const auto start = m_blockKeys.begin() + first;
    std::for_each(start, start + oldCount, [this](const QStringList& keys) { take(keys); });
    std::vector<QStringList> changed;
    changed.reserve(static_cast<std::size_t>(newCount));
    QTextBlock block = m_document->findBlockByNumber(first);
    for (int i = 0; i < newCount; ++i, block = block.next()) {
        changed.push_back(keysOf(block));
        give(changed.back());
    }
    const auto replaced = m_blockKeys.erase(start, start + oldCount);
    m_blockKeys.insert(replaced, std::make_move_iterator(changed.begin()),
                       std::make_move_iterator(changed.end()));
}

void KWLineCounter::recountAll()
{
    m_blockKeys.clear();
    m_uses.clear();
    m_blockKeys.reserve(static_cast<std::size_t>(m_document->blockCount()));
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        m_blockKeys.push_back(keysOf(block));
        give(m_blockKeys.back());
    }
}

void KWLineCounter::take(const QStringList& keys)
{
    for (const QString& key : keys) {
        const auto it = m_uses.find(key);
        if (it != m_uses.end() && --it.value() == 0)
            m_uses.erase(it);
    }
}

void KWLineCounter::give(const QStringList& keys)
{
    for (const QString& key : keys)
        ++m_uses[key];
}

// The block's lines as the document's plain text has them (a line separator ends a line, a
// no-break space is a blank), with runs of blanks made single and case folded.
QStringList KWLineCounter::keysOf(const QTextBlock& block)
{
    QStringList keys;
    QString line;
    const QString text = block.text();
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const QChar c = i < text.size() ? text.at(i) : QChar(QChar::LineSeparator);
        if (c == QChar::LineSeparator) {
            if (!line.isEmpty())
                keys.append(line.toCaseFolded());
            line.clear();
        } else if (c == u' ' || c == QChar::Nbsp) {
            if (!line.endsWith(u' '))
                line += u' ';
        } else {
            line += c;
        }
    }
    return keys;
}
