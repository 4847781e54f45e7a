#include <algorithm>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include "app/shell/SetupLines.h"
#include "engine/database/MParser.h"

namespace {

using Rows = std::vector<std::pair<QByteArray, int>>;

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The lines read one by one through QString, then sorted by the cache's key, equal keys in
// file order.
Rows expectedRows(const QByteArray& text, int& skipped)
{
    struct Line {
        QByteArray sortKey;
        QByteArray keyword;
        int count;
    };
    std::vector<Line> lines;
    skipped = 0;
    QList<QByteArray> raw = text.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast();
    for (const QByteArray& line : raw) {
        const QStringList fields = QString::fromUtf8(line).remove(QLatin1Char('\r')).split('\t');
        bool ok = fields.size() >= 2;
        const qint64 count = ok ? fields[0].trimmed().toLongLong(&ok) : 0;
        const QString kw =
            ok ? zentrel::MParser::NormalizeKW(zentrel::MParser::LowerCase(fields[1].trimmed()))
               : QString();
        if (!ok || kw.isEmpty() || count < INT32_MIN || count > INT32_MAX) {
            ++skipped;
            continue;
        }
        const QByteArray utf8 = kw.toUtf8();
        lines.push_back(
            {isAscii(utf8) ? utf8 : kw.toCaseFolded().toUtf8(), utf8, static_cast<int>(count)});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.sortKey < b.sortKey; });
    Rows rows;
    for (const Line& line : lines)
        rows.emplace_back(line.keyword, line.count);
    return rows;
}

Rows rowsOf(const SetupLines& lines)
{
    Rows rows;
    lines.forEachInKeyOrder([&](QByteArrayView keyword, int count) {
        rows.emplace_back(keyword.toByteArray(), count);
    });
    return rows;
}

// Lines of many shapes: repeated keys in other capitals and word orders far apart, keys
// beyond ASCII, keys that share long beginnings, and lines that cannot be used.
QByteArray mixedText(int lines)
{
    const QStringList words = {
        "blue",    "widget", "Été", "zug", "ÄRGER", "a", "blue-green", "x~y", "widgetwidgetwidget",
        "İstanbul"};
    QByteArray text;
    unsigned state = 7;
    const auto next = [&state](unsigned n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int i = 0; i < lines; ++i) {
        QString kw;
        const unsigned length = 1 + next(3);
        for (unsigned w = 0; w < length; ++w)
            kw += words[static_cast<int>(next(10))] + (next(4) == 0 ? "  " : " ");
        if (next(3) == 0)
            kw = kw.toUpper();
        switch (next(20)) {
        case 0:
            text += "no tab here\r\n";
            continue;
        case 1:
            text += "12x\t" + kw.toUtf8() + "\n";
            continue;
        case 2:
            text += QByteArray::number(i) + "\t   \n";
            continue;
        default:
            break;
        }
        text += QByteArray::number(i) + "\t" + kw.toUtf8() + (next(2) ? "\r\n" : "\tmore\n");
    }
    return text;
}

} // namespace

TEST(SetupLines, RowsComeInTheCacheKeyOrderWithEqualKeysInFileOrder)
{
    const struct {
        const char* name;
        QByteArray text;
    } cases[] = {
        {"empty", QByteArray()},
        {"one line without an end", "5\tBlue Widget"},
        {"only unusable lines", "x\ty\n\n\t\n"},
        {"a few lines", mixedText(20)},
        {"many lines", mixedText(20000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int skipped = 0;
        const Rows expected = expectedRows(c.text, skipped);
        const SetupLines lines(c.text);
        EXPECT_EQ(lines.skipped(), skipped);
        const Rows rows = rowsOf(lines);
        ASSERT_EQ(rows.size(), expected.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(rows[i], expected[i])
                << "row " << i << ": " << rows[i].first.toStdString() << " (" << rows[i].second
                << ") instead of " << expected[i].first.toStdString() << " (" << expected[i].second
                << ")";
        }
    }
}

TEST(SetupLines, AStoreThatRaisesStopsTheHandOut)
{
    const SetupLines lines(mixedText(5000));
    int handed = 0;
    EXPECT_THROW(lines.forEachInKeyOrder([&](QByteArrayView, int) {
        if (++handed == 100)
            throw std::runtime_error("full");
    }),
                 std::runtime_error);
    EXPECT_EQ(handed, 100);
}
