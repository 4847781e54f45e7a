#pragma once

#include <vector>

#include <QHash>
#include <QObject>
#include <QStringList>

class QTextBlock;
class QTextDocument;

// Counts, as a document changes, the keywords FAddKWs::KWs takes from its text: every line that
// is not empty (a block's line separators, Shift+Enter, end lines too) once runs of blanks are
// single, each once without regard to case. An edit recounts only the blocks it touched, so
// typing into a text of many lines stays cheap.
class KWLineCounter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KWLineCounter)

public:
    // Follows the document, which owns the counter.
    explicit KWLineCounter(QTextDocument* document);

    int count() const { return static_cast<int>(m_uses.size()); }

private:
    void contentsChange(int from, int removed, int added);
    void recountAll();
    void take(const QStringList& keys);
    void give(const QStringList& keys);
    static QStringList keysOf(const QTextBlock& block);

    QTextDocument* m_document;
    std::vector<QStringList> m_blockKeys; // by block number
    QHash<QString, int> m_uses;           // folded keyword -> lines holding it
};
