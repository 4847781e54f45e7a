#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "engine/database/DBaser.h"
#include "engine/database/KeywordStore.h"
#include "engine/database/MParser.h"
#include "engine/platform/CAttribute.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/CKeyedCollection.h"
#include "engine/platform/ZError.h"
#include "engine/research/CGP.h"
#include "engine/research/COP.h"
#include "engine/research/MetaKeywords.h"
#include "engine/research/TextDecoder.h"

// The entry points shared by the fuzz targets and the corpus replay test. Each feeds one input
// to one reader of outside data and returns what went wrong: empty when the reader behaved
// (an engine error is a defined outcome; a crash, a sanitizer report, any other exception or a
// broken result is not).
class FuzzEntries {
public:
    // The names of the targets, which are also the corpus folders.
    static QStringList targets()
    {
        return {QStringLiteral("result_page"), QStringLiteral("suggestion_page"),
                QStringLiteral("meta_keywords"), QStringLiteral("normalize_kw"),
                QStringLiteral("keyword_filter")};
    }

    static QString run(const QString& target, const QByteArray& input)
    {
        if (target == QLatin1String("result_page"))
            return resultPage(input);
        if (target == QLatin1String("suggestion_page"))
            return suggestionPage(input);
        if (target == QLatin1String("meta_keywords"))
            return metaKeywords(input);
        if (target == QLatin1String("normalize_kw"))
            return normalizeKW(input);
        if (target == QLatin1String("keyword_filter"))
            return keywordFilter(input);
        return QStringLiteral("unknown target ") + target;
    }

    // What a fuzz target does with a problem: report it and stop, so libFuzzer keeps the input.
    static int require(const QString& problem)
    {
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
            std::abort();
        }
        return 0;
    }

    static QByteArray bytes(const std::uint8_t* data, std::size_t size)
    {
        return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    }

    // A downloaded result page, decoded as the downloader decodes it, then parsed.
    static QString resultPage(const QByteArray& input)
    {
        const QString page = zentrel::TextDecoder::Decode(input, contentTypeOf(input));
        try {
            const zentrel::CDataNode found = zentrel::CGP().Parse(page);
            int pos = 0;
            for (const zentrel::CDataNode& child : found.Children()) {
                const QString url =
                    child.Attributes().Item(QStringLiteral("URL")).Values().Item(1).toString();
                if (!url.startsWith(QLatin1String("http"), Qt::CaseInsensitive))
                    return QStringLiteral("found a link that is not http: ") + url;
                if (child.Attributes().Item(QStringLiteral("Pos")).Values().Item(1).toInt() !=
                    ++pos)
                    return QStringLiteral("found pages out of order at ") + url;
            }
        } catch (const zentrel::ZError&) {
        }
        return {};
    }

    // A downloaded suggestion page, decoded, then read as a document.
    static QString suggestionPage(const QByteArray& input)
    {
        const QString page = zentrel::TextDecoder::Decode(input, contentTypeOf(input));
        const zentrel::CDataNode counts = zentrel::COP().Parse(page);
        for (const zentrel::CAttribute& count : counts.Attributes()) {
            if (count.Name().isEmpty() ||
                zentrel::MParser::NormalizeKW(count.Name()) != count.Name())
                return QStringLiteral("phrase not in its normalised form: ") + count.Name();
            if (count.Values().Count() != 1)
                return QStringLiteral("phrase with %1 counts: ").arg(count.Values().Count()) +
                       count.Name();
        }
        try {
            zentrel::COP::LeadingNumber(page);
        } catch (const zentrel::ZError&) {
        }
        return {};
    }

    // A page read for its meta keywords under both rules, and the input as one tag and phrase.
    static QString metaKeywords(const QByteArray& input)
    {
        using zentrel::MetaKeywords;
        const QString page = zentrel::TextDecoder::Decode(input);
        for (const auto rule : {MetaKeywords::Rule::Contacter, MetaKeywords::Rule::Worker}) {
            for (const QVariant& item : MetaKeywords::GetKWsFromPage(page, rule)) {
                const QString phrase = item.toString();
                if (!phrase.contains(QLatin1Char(' ')))
                    return QStringLiteral("phrase without a blank: ") + phrase;
                if (rule == MetaKeywords::Rule::Contacter &&
                    phrase.size() >= MetaKeywords::kContacterLengthLimit)
                    return QStringLiteral("phrase too long for the contacter: ") + phrase;
            }
        }
        const QString content = MetaKeywords::GetMetaContent(page);
        for (qsizetype i = content.indexOf(QLatin1Char('<')); i >= 0 && i + 1 < content.size();
             i = content.indexOf(QLatin1Char('<'), i + 1)) {
            const QChar next = content.at(i + 1);
            if (next.isLetter() && next.unicode() < 128)
                return QStringLiteral("content holds a tag: ") + content;
            if (next == QLatin1Char('/') || next == QLatin1Char('!') || next == QLatin1Char('?'))
                return QStringLiteral("content holds markup: ") + content;
        }
        for (const QChar c : MetaKeywords::CleanPhrase(page)) {
            if (c != QLatin1Char(' ') && c < QLatin1Char('0'))
                return QStringLiteral("cleaned phrase keeps the character %1").arg(c.unicode());
        }
        return {};
    }

    // A keyword as typed or read from a file: its identity must be stable and well formed.
    static QString normalizeKW(const QByteArray& input)
    {
        const QString kw = QString::fromUtf8(input);
        const QString normalized = zentrel::MParser::NormalizeKW(kw);
        if (zentrel::MParser::NormalizeKW(normalized) != normalized)
            return QStringLiteral("identity changes when normalised again: ") + normalized;
        if (normalized.contains(QLatin1Char('-')) || normalized.contains(QLatin1Char('~')) ||
            normalized.contains(QLatin1String("  ")) || normalized.startsWith(QLatin1Char(' ')) ||
            normalized.endsWith(QLatin1Char(' ')))
            return QStringLiteral("identity not normalised: ") + normalized;
        return {};
    }

    // Keywords one per line, as a user pastes them: the filter's verdicts must follow its rules.
    static QString keywordFilter(const QByteArray& input)
    {
        const QStringList keywords = linesOf(input);
        const auto filtered = zentrel::KeywordStore::filter(keywords);
        if (filtered.accepted.size() + filtered.rejected.size() != keywords.size())
            return QStringLiteral("keywords lost by the filter");
        for (const QString& kw : filtered.accepted) {
            for (const char* banned : {":", "+", "..", "%", "#", "/", "\\", "?", "-", "~"}) {
                if (kw.contains(QLatin1String(banned)))
                    return QStringLiteral("accepted keyword holds %1: ").arg(banned) + kw;
            }
            if (kw != kw.toLower())
                return QStringLiteral("accepted keyword not in lower case: ") + kw;
        }
        return {};
    }

    // The same keywords stored through AddKWs on open databases: no keyword text makes the
    // addition fail, and every accepted keyword is found by its identity afterwards.
    static QString addKeywords(zentrel::DBaser& db, const QByteArray& input)
    {
        const QStringList keywords = linesOf(input);
        zentrel::CKeyedCollection items;
        for (const QString& kw : keywords)
            items.Add(kw);
        zentrel::CDataNode operation;
        try {
            db.AddKWs(items, operation);
        } catch (const zentrel::ZError& error) {
            return QStringLiteral("AddKWs raised 0x%1: ").arg(error.number(), 8, 16) +
                   error.description();
        }
        for (const QString& accepted : zentrel::KeywordStore::filter(keywords).accepted) {
            const QString identity = zentrel::MParser::NormalizeKW(accepted);
            if (identity.isEmpty() || accepted.contains(QChar(0))) // not stored
                continue;
            const int found = db.ProjectDB()
                                  ->scalar(QStringLiteral("SELECT count(*) FROM Keyword WHERE "
                                                          "Normalized = ?1"),
                                           {identity})
                                  .toInt();
            if (found != 1)
                return QStringLiteral("%1 rows for the identity ").arg(found) + identity;
        }
        return {};
    }

    static QStringList linesOf(const QByteArray& input)
    {
        return QString::fromUtf8(input).split(QLatin1Char('\n'));
    }

private:
    // A first line "Content-Type: ..." stands for the HTTP header, so the corpus reaches the
    // header's charset too.
    static QByteArray contentTypeOf(const QByteArray& input)
    {
        const QByteArray prefix("Content-Type:");
        if (!input.startsWith(prefix))
            return {};
        const qsizetype end = input.indexOf('\n');
        return input.mid(prefix.size(), end < 0 ? -1 : end - prefix.size()).trimmed();
    }
};
