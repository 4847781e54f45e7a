#include "engine/research/MarkupDepthLimit.h"

#include <algorithm>

namespace zentrel {

QByteArray MarkupDepthLimit::Limit(const QByteArray& markup, int maxDepth)
{
    MarkupDepthLimit limit(markup, maxDepth);
    return limit.run();
}

MarkupDepthLimit::MarkupDepthLimit(const QByteArray& markup, int maxDepth)
    : m_markup(markup)
    , m_limit(maxDepth)
    , m_scanner(markup)
{
}

QByteArray MarkupDepthLimit::run()
{
    for (;;) {
        m_scanner.setCData(m_model.readsCData());
        const Token& token = m_scanner.next();
        const QByteArrayView text =
            QByteArrayView(m_markup).sliced(token.begin, token.end - token.begin);
        switch (token.kind) {
        case MarkupScanner::Kind::Text:
            m_model.text(text);
            break;
        case MarkupScanner::Kind::CData:
            m_model.text(text);
            writeAsText(token);
            break;
        case MarkupScanner::Kind::StartTag:
            startTag(token);
            break;
        case MarkupScanner::Kind::EndTag:
            endTag(token);
            break;
        case MarkupScanner::Kind::Other:
            break;
        case MarkupScanner::Kind::End:
            if (!m_changed)
                return m_markup;
            m_out.append(QByteArrayView(m_markup).sliced(m_copied));
            return m_out;
        }
        keepDropped(m_model.takeClosed());
    }
}

// A start tag that may open elements beyond the limit is left out before it changes anything,
// and so is every one inside an element left out, until that element closes.
void MarkupDepthLimit::startTag(const Token& tag)
{
    const int opened = m_model.opened(tag);
    if (opened > 0 && (!m_dropped.empty() || m_model.depth() + opened > m_limit)) {
        skip(tag);
        const int name = droppedName(tag.name);
        const std::uint64_t order = m_model.nextOrder();
        if (!m_dropped.empty() && m_dropped.back().name == name &&
            m_dropped.back().order + 1 == order) {
            m_dropped.back().order = order;
            ++m_dropped.back().count;
            return;
        }
        m_droppedByName[static_cast<std::size_t>(name)].push_back(
            static_cast<int>(m_dropped.size()));
        m_dropped.push_back({name, order, 1});
        return;
    }
    switch (m_model.start(tag)) {
    case HtmlTreeModel::Content::RawText:
        m_scanner.readRawText(tag.name);
        break;
    case HtmlTreeModel::Content::PlainText:
        m_scanner.readRawText(tag.name, true);
        break;
    case HtmlTreeModel::Content::Markup:
        break;
    }
}

void MarkupDepthLimit::endTag(const Token& tag)
{
    if (closesDropped(tag))
        skip(tag);
    else
        m_model.end(tag);
}

int MarkupDepthLimit::droppedName(const QByteArray& name)
{
    const auto it = m_droppedNames.constFind(name);
    if (it != m_droppedNames.cend())
        return it.value();
    const int id = static_cast<int>(m_droppedByName.size());
    m_droppedNames.insert(name, id);
    m_droppedByName.emplace_back();
    return id;
}

// Tags left out after an element that the parser closed stood inside it: they are closed too.
void MarkupDepthLimit::keepDropped(std::uint64_t closed)
{
    while (!m_dropped.empty() && m_dropped.back().order >= closed) {
        Dropped& last = m_dropped.back();
        const std::uint64_t first = last.order - static_cast<std::uint64_t>(last.count) + 1;
        if (first < closed) {
            last.count = static_cast<int>(closed - first);
            last.order = closed - 1;
            return;
        }
        m_droppedByName[static_cast<std::size_t>(last.name)].pop_back();
        m_dropped.pop_back();
    }
}

// Whether the end tag closes a start tag left out, opened after any open element it could
// close; the tags left out after that one are closed with it.
bool MarkupDepthLimit::closesDropped(const Token& endTag)
{
    const auto it = m_droppedNames.constFind(endTag.name);
    if (it == m_droppedNames.cend() || m_droppedByName[static_cast<std::size_t>(*it)].empty())
        return false;
    const int index = m_droppedByName[static_cast<std::size_t>(*it)].back();
    if (m_dropped[static_cast<std::size_t>(index)].order < m_model.openedLast(endTag))
        return false;
    keepDropped(m_dropped[static_cast<std::size_t>(index)].order);
    return true;
}

// A CDATA section becomes the text it holds: the parser mishandles some of them in tables.
void MarkupDepthLimit::writeAsText(const Token& section)
{
    skip(section);
    const qsizetype close = m_markup.indexOf("]]>", section.begin + 9);
    const qsizetype end = close < 0 || close >= section.end ? section.end : close;
    const QByteArrayView content =
        QByteArrayView(m_markup).sliced(section.begin + 9, end - section.begin - 9);
    for (const char c : content) {
        if (c == '&')
            m_out.append("&amp;");
        else if (c == '<')
            m_out.append("&lt;");
        else
            m_out.append(c);
    }
}

// Writes what stands before the token and leaves the token out. A "<" of the text just before
// would start a tag with what follows, so it is written as text.
void MarkupDepthLimit::skip(const Token& token)
{
    if (!m_changed) {
        m_changed = true;
        m_out.reserve(m_markup.size());
    }
    const bool lessThan = token.begin > m_copied && m_markup.at(token.begin - 1) == '<';
    const qsizetype kept = token.begin - m_copied - (lessThan ? 1 : 0);
    m_out.append(QByteArrayView(m_markup).sliced(m_copied, kept));
    if (lessThan)
        m_out.append("&lt;");
    m_copied = token.end;
}

} // namespace zentrel
