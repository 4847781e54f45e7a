#pragma once

#include <QString>
#include <QStringList>

// Every order of the words of a three-, four- or five-word keyword, the keyword's own order
// first, sorted by the positions the words have in the keyword.
class KWWordOrders {
public:
    // The orders as lines ended by CR LF, an empty line after each group of a longer phrase.
    // Raises ZError E_INVALIDARG for any other number of words.
    static QString OrdersText(const QString& kw);
    // The non-empty lines of OrdersText.
    static QStringList Orders(const QString& kw);

private:
    static QString withBlank(const QString& prefix);
    static QString three(const QString& prefix, const QStringList& words);
    static QString four(const QString& prefix, const QStringList& words);
    static QString five(const QString& prefix, const QStringList& words);
    static QStringList without(const QStringList& words, qsizetype index);
};
