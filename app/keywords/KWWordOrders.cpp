#include "app/keywords/KWWordOrders.h"

#include "engine/platform/ZError.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString KWWordOrders::withBlank(const QString& prefix)
{
    if (prefix.isEmpty() || prefix.endsWith(QLatin1Char(' ')))
        return prefix;
    return prefix + QLatin1Char(' ');
}

QStringList KWWordOrders::without(const QStringList& words, qsizetype index)
{
    QStringList rest = words;
    rest.removeAt(index);
    return rest;
}

QString KWWordOrders::three(const QString& prefix, const QStringList& w)
{
    const QString p = withBlank(prefix);
    const QString b = QStringLiteral(" ");
    return p + w[0] + b + w[1] + b + w[2] + kCrLf + p + w[0] + b + w[2] + b + w[1] + kCrLf + p +
           w[1] + b + w[0] + b + w[2] + kCrLf + p + w[1] + b + w[2] + b + w[0] + kCrLf + p + w[2] +
           b + w[0] + b + w[1] + kCrLf + p + w[2] + b + w[1] + b + w[0] + kCrLf;
}

QString KWWordOrders::four(const QString& prefix, const QStringList& words)
{
    QString text;
    for (qsizetype i = 0; i < words.size(); ++i)
        text += three(withBlank(prefix) + words[i], without(words, i)) + kCrLf;
    return text;
}

QString KWWordOrders::five(const QString& prefix, const QStringList& words)
{
    QString text;
    for (qsizetype i = 0; i < words.size(); ++i)
        text += four(withBlank(prefix) + words[i], without(words, i));
    return text;
}

QString KWWordOrders::OrdersText(const QString& kw)
{
    const QStringList words = kw.split(QLatin1Char(' '));
    switch (words.size()) {
    case 3:
        return three({}, words);
    case 4:
        return four({}, words);
    case 5:
        return five({}, words);
    default:
        throw zentrel::ZError(zentrel::kInvalidArgument,
                              QStringLiteral("The keyword must have three, four or five words"),
                              QStringLiteral("FReorderWords.init"));
    }
}

QStringList KWWordOrders::Orders(const QString& kw)
{
    return OrdersText(kw).split(kCrLf, Qt::SkipEmptyParts);
}
