#include "engine/research/HtmlTagTraits.h"

#include <initializer_list>
#include <utility>

#include <QByteArray>
#include <QHash>

namespace zentrel {

namespace {
using T = HtmlTagTraits;

// Blocks that close an open paragraph and whose end tag closes them when in scope.
constexpr std::uint32_t kBlock = T::Special | T::ClosesP | T::ScopedEnd;
constexpr std::uint32_t kCell = T::Special | T::Scope | T::Marker | T::TablePart | T::TableContext;
constexpr std::uint32_t kSection = T::Special | T::TablePart | T::TableContext;
constexpr std::uint32_t kEmpty = T::Special | T::Void;
constexpr std::uint32_t kEmbedded = T::Special | T::Void | T::Reopens;
constexpr std::uint32_t kObject = T::Special | T::Scope | T::Marker | T::ScopedEnd | T::Reopens;

QHash<QByteArray, std::uint32_t> makeTable()
{
    const std::initializer_list<std::pair<const char*, std::uint32_t>> entries = {
        {"address", kBlock},
        {"article", kBlock},
        {"aside", kBlock},
        {"blockquote", kBlock},
        {"center", kBlock},
        {"details", kBlock},
        {"dir", kBlock},
        {"div", kBlock},
        {"dl", kBlock},
        {"fieldset", kBlock},
        {"figcaption", kBlock},
        {"figure", kBlock},
        {"footer", kBlock},
        {"header", kBlock},
        {"hgroup", kBlock},
        {"main", T::ClosesP | T::ScopedEnd}, // not special to this parser
        {"menu", kBlock},
        {"nav", kBlock},
        {"section", kBlock},
        {"summary", kBlock},
        {"pre", kBlock},
        {"listing", kBlock},
        {"ol", kBlock | T::ListScope},
        {"ul", kBlock | T::ListScope},
        {"dd", kBlock},
        {"dt", kBlock},
        {"li", T::Special | T::ClosesP},
        {"p", T::Special | T::ClosesP},
        {"h1", T::Special | T::ClosesP | T::Heading},
        {"h2", T::Special | T::ClosesP | T::Heading},
        {"h3", T::Special | T::ClosesP | T::Heading},
        {"h4", T::Special | T::ClosesP | T::Heading},
        {"h5", T::Special | T::ClosesP | T::Heading},
        {"h6", T::Special | T::ClosesP | T::Heading},
        {"form", T::Special | T::ClosesP},
        {"button", T::Special | T::ButtonScope | T::ScopedEnd | T::Reopens},
        {"applet", kObject},
        {"marquee", kObject},
        {"object", kObject},
        {"table", T::Special | T::Scope | T::TableScope | T::ClosesP | T::TableContext},
        {"caption", kCell},
        {"td", kCell},
        {"th", kCell},
        {"tbody", kSection},
        {"thead", kSection},
        {"tfoot", kSection},
        {"tr", kSection},
        {"col", T::Special | T::Void | T::TablePart},
        {"colgroup", T::Special | T::TablePart},
        {"template", T::Special | T::Scope | T::TableScope | T::Marker | T::TableContext | T::Head},
        {"html", T::Special | T::Scope | T::TableScope | T::Ignored},
        {"head", T::Special | T::Ignored},
        {"body", T::Special | T::Ignored},
        {"frameset", T::Special | T::Ignored},
        {"frame", T::Special | T::Ignored},
        {"select", T::Special | T::Reopens},
        {"option", T::Reopens},
        {"optgroup", T::Reopens},
        {"hr", kEmpty | T::ClosesP},
        {"base", kEmpty | T::Head},
        {"basefont", kEmpty | T::Head},
        {"bgsound", kEmpty | T::Head},
        {"link", kEmpty | T::Head},
        {"meta", kEmpty | T::Head},
        {"param", kEmpty},
        {"source", kEmpty},
        {"track", kEmpty},
        {"menuitem", kEmpty},
        {"isindex", kEmpty | T::ClosesP},
        {"area", kEmbedded},
        {"br", kEmbedded},
        {"embed", kEmbedded},
        {"img", kEmbedded},
        {"image", kEmbedded},
        {"wbr", kEmbedded},
        {"input", kEmbedded | T::ClosesSelect},
        {"keygen", kEmbedded | T::ClosesSelect},
        {"script", T::Special | T::RawText | T::Script | T::Head},
        {"style", T::Special | T::RawText | T::Head},
        {"noframes", T::Special | T::RawText | T::Head},
        {"title", T::Special | T::RawText | T::Head},
        {"textarea", T::Special | T::RawText | T::ClosesSelect},
        {"xmp", T::Special | T::RawText | T::ClosesP | T::Reopens},
        {"iframe", T::Special | T::RawText},
        {"noembed", T::Special | T::RawText},
        {"plaintext", T::Special | T::PlainText | T::ClosesP},
        {"noscript", T::Special | T::Reopens},
        {"a", T::Formatting | T::Reopens},
        {"b", T::Formatting | T::Reopens},
        {"big", T::Formatting | T::Reopens},
        {"code", T::Formatting | T::Reopens},
        {"em", T::Formatting | T::Reopens},
        {"font", T::Formatting | T::Reopens},
        {"i", T::Formatting | T::Reopens},
        {"nobr", T::Formatting | T::Reopens},
        {"s", T::Formatting | T::Reopens},
        {"small", T::Formatting | T::Reopens},
        {"strike", T::Formatting | T::Reopens},
        {"strong", T::Formatting | T::Reopens},
        {"tt", T::Formatting | T::Reopens},
        {"u", T::Formatting | T::Reopens},
        {"ruby", T::Reopens},
        {"rb", 0},
        {"rp", 0},
        {"rt", 0},
        {"rtc", 0},
    };
    QHash<QByteArray, std::uint32_t> table;
    for (const auto& [name, flags] : entries)
        table.insert(QByteArray(name), flags);
    return table;
}
} // namespace

std::uint32_t HtmlTagTraits::of(QByteArrayView name)
{
    static const QHash<QByteArray, std::uint32_t> table = makeTable();
    // Any other element is an ordinary one, which reopens what was left open before it.
    return table.value(name.toByteArray(), Reopens);
}

} // namespace zentrel
