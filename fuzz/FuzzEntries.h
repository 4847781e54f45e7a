#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "engine/database/MParser.h"
#include "engine/platform/CAttribute.h"
#include "engine/platform/CDataNode.h"
#include "engine/platform/ZError.h"
#include "engine/research/CGP.h"
#include "engine/research/CMetaKeywords.h"
#include "engine/research/COP.h"
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
                QStringLiteral("meta_keywords"), QStringLiteral("normalize_kw")};
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
        using zentrel::CMetaKeywords;
        const QString page = zentrel::TextDecoder::Decode(input);
        for (const auto rule : {CMetaKeywords::Rule::Contacter, CMetaKeywords::Rule::Worker}) {
            for (const QVariant& item : CMetaKeywords::GetKWsFromPage(page, rule)) {
                const QString phrase = item.toString();
                if (!phrase.contains(QLatin1Char(' ')))
                    return QStringLiteral("phrase without a blank: ") + phrase;
                if (rule == CMetaKeywords::Rule::Contacter &&
                    phrase.size() >= CMetaKeywords::kContacterLengthLimit)
                    return QStringLiteral("phrase too long for the contacter: ") + phrase;
            }
        }
        CMetaKeywords::GetMetaContent(page);
        for (const QChar c : CMetaKeywords::CleanPhrase(page)) {
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
