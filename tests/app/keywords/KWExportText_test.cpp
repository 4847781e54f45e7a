#include <gtest/gtest.h>

#include <QStringList>

#include "app/keywords/KWExportText.h"

namespace {

using Rows = QList<QStringList>;

// A reader for delimited text: fields may be enclosed in the qualifier, a doubled qualifier inside
// stands for one, and rows end in CR LF.
Rows readDelimited(const QString& text, const QString& delimiter, const QString& qualifier)
{
    Rows rows;
    QStringList fields;
    QString field;
    qsizetype i = 0;
    bool fieldStarted = false;
    auto endField = [&] {
        fields << field;
        field.clear();
        fieldStarted = false;
    };
    while (i < text.size()) {
        if (!fieldStarted && !qualifier.isEmpty() && text.mid(i, qualifier.size()) == qualifier) {
            i += qualifier.size();
            while (true) {
                if (i >= text.size())
                    return {}; // unterminated
                if (text.mid(i, qualifier.size()) == qualifier) {
                    if (text.mid(i + qualifier.size(), qualifier.size()) == qualifier) {
                        field += qualifier;
                        i += 2 * qualifier.size();
                        continue;
                    }
                    i += qualifier.size();
                    break;
                }
                field += text.at(i++);
            }
            fieldStarted = true;
            continue;
        }
        if (text.mid(i, 2) == QStringLiteral("\r\n")) {
            endField();
            rows << fields;
            fields.clear();
            i += 2;
            continue;
        }
        if (!delimiter.isEmpty() && text.mid(i, delimiter.size()) == delimiter) {
            endField();
            i += delimiter.size();
            continue;
        }
        field += text.at(i++);
        fieldStarted = true;
    }
    if (fieldStarted || !fields.isEmpty())
        return {}; // the last row did not end in CR LF
    return rows;
}

const KWExportTable kTable{
    {QStringLiteral("blue widgets"), QStringLiteral("12.5"), QStringLiteral("The Best!"),
     QStringLiteral("  4.1")},
    {QStringLiteral("It's Mine!"), QStringLiteral(" "), QStringLiteral("It's Mine!"),
     QStringLiteral("     ")},
    {QStringLiteral("say \"hi\"; a,b c\tz"), QStringLiteral("0.0"), QStringLiteral("May be"),
     QStringLiteral("  0.0")},
    {QStringLiteral("ünïcödé кириллица"), QStringLiteral("1500.0"), QStringLiteral(""),
     QStringLiteral(" 13.3")},
};

TEST(KWExportText, EveryDelimiterAndQualifierReadsBackFieldForField)
{
    const QString delimiters[] = {QStringLiteral("\t"), QStringLiteral(";"), QStringLiteral(","),
                                  QStringLiteral(" "), QStringLiteral("e")};
    const QString qualifiers[] = {QStringLiteral("'"), QStringLiteral("\"")};
    for (const QString& d : delimiters) {
        for (const QString& q : qualifiers) {
            SCOPED_TRACE(testing::Message()
                         << "delimiter [" << d.toStdString() << "] qualifier " << q.toStdString());
            KWExportText::Options options;
            options.keyword = options.searches = options.relevancy = options.score = true;
            options.fieldNames = true;
            options.delimiter = d;
            options.qualifier = q;
            const Rows rows = readDelimited(KWExportText::build(kTable, options), d, q);
            ASSERT_EQ(rows.size(), static_cast<qsizetype>(kTable.size() + 1));
            EXPECT_EQ(rows[0], (QStringList{QStringLiteral("Keyword"), QStringLiteral("Searches"),
                                            QStringLiteral("Relevancy"), QStringLiteral("Score")}));
            for (std::size_t r = 0; r < kTable.size(); ++r) {
                const KWExportRow& row = kTable[r];
                EXPECT_EQ(
                    rows[static_cast<qsizetype>(r + 1)],
                    (QStringList{row.keyword, row.searches, row.relevancy, row.score.trimmed()}));
            }
        }
    }
}

TEST(KWExportText, NoQualifierWritesTheCellsAsTheyAre)
{
    KWExportText::Options options;
    options.keyword = options.searches = options.relevancy = options.score = true;
    options.delimiter = QStringLiteral(",");
    EXPECT_EQ(KWExportText::build(kTable, options),
              QStringLiteral("blue widgets,12.5,The Best!,4.1\r\n"
                             "It's Mine!, ,It's Mine!,\r\n"
                             "say \"hi\"; a,b c\tz,0.0,May be,0.0\r\n"
                             "ünïcödé кириллица,1500.0,,13.3\r\n"));
}

TEST(KWExportText, SingleColumnsAndSeparators)
{
    KWExportText::Options options;
    options.delimiter = QStringLiteral("\t");
    const KWExportTable two{{QStringLiteral("a"), {}, {}, {}}, {QStringLiteral("b"), {}, {}, {}}};
    EXPECT_EQ(KWExportText::build(two, options), QStringLiteral("a\r\nb\r\n"));

    // Keyword and searches, comma, double quote, field names: the Part's example.
    options.searches = true;
    options.fieldNames = true;
    options.delimiter = QStringLiteral(",");
    options.qualifier = QStringLiteral("\"");
    const KWExportTable one{{QStringLiteral("kw"), QStringLiteral("4.1"), {}, {}}};
    EXPECT_EQ(KWExportText::build(one, options),
              QStringLiteral("Keyword,Searches\r\n\"kw\",4.1\r\n"));

    // An empty custom delimiter concatenates without dropping a character.
    options.fieldNames = false;
    options.qualifier.clear();
    options.delimiter.clear();
    EXPECT_EQ(KWExportText::build(one, options), QStringLiteral("kw4.1\r\n"));
}

TEST(KWExportText, NegativeSearchesAreLeftOutAndNoColumnGivesNothing)
{
    KWExportText::Options options;
    options.keyword = false;
    options.searches = true;
    const KWExportTable table{{QStringLiteral("a"), QStringLiteral("-0.1"), {}, {}}};
    EXPECT_EQ(KWExportText::build(table, options), QStringLiteral("\r\n"));
    options.searches = false;
    EXPECT_FALSE(KWExportText::anyColumn(options));
    EXPECT_EQ(KWExportText::build(table, options), QString());
}

} // namespace
