#include "engine/research/CGP.h"

#include "engine/EngineMessages.h"

namespace zentrel {

namespace {
// The results stand between the first "<div>" and the end of the first "</div> </div>".
QString resultsBlock(const QString& html)
{
    const qsizetype start = html.indexOf(QLatin1String("<div>"));
    if (start < 0)
        throw EngineMessages::error(EngineMessages::CannotParsePage, {}, QStringLiteral("Zentrel"));
    QString block = html.mid(start);
    const QLatin1String marker("</div> </div>");
    const qsizetype end = block.indexOf(marker);
    if (end >= 0)
        block.truncate(end + marker.size());
    return block;
}

// The link target after "href=", cut at the first quote that closes it.
QString linkTarget(const QString& piece)
{
    const qsizetype at = piece.indexOf(QLatin1String("href="));
    if (at < 0)
        return {};
    QString url = piece.mid(at + 5);
    if (url.startsWith(QLatin1Char('"')) || url.startsWith(QLatin1Char('\''))) {
        url.remove(0, 1);
        const qsizetype quote = url.indexOf(QLatin1Char('"'));
        if (quote >= 0)
            url.truncate(quote);
    }
    qsizetype cut = url.indexOf(QLatin1Char('"'));
    if (cut < 0)
        cut = url.indexOf(QLatin1Char('\''));
    if (cut >= 0)
        url.truncate(cut);
    return url;
}
} // namespace

QStringList CGP::FoundURLs(const QString& html)
{
    QString text = html;
    text.remove(QLatin1String("<B>"), Qt::CaseInsensitive);
    text.remove(QLatin1String("</B>"), Qt::CaseInsensitive);
    const QStringList pieces = resultsBlock(text).split(QLatin1String("<div class=g>"));
    QStringList found;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString url = linkTarget(pieces.at(i));
        if (url.left(4).toLower() == QLatin1String("http"))
            found.append(url);
    }
    return found;
}

CDataNode CGP::Parse(const QString& HTML) const
{
    try {
        CDataNode result;
        std::int32_t pos = 0;
        for (const QString& url : FoundURLs(HTML)) {
            CDataNode& page = result.Children().Add();
            page.Attributes().Add(QStringLiteral("Pos"), ++pos);
            page.Attributes().Add(QStringLiteral("URL"), url);
        }
        return result;
    } catch (const std::exception&) {
        throw EngineMessages::error(EngineMessages::CannotParsePage, {}, QStringLiteral("Zentrel"));
    }
}

} // namespace zentrel
