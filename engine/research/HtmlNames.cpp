#include "engine/research/HtmlNames.h"

#include <gumbo.h>

#include "engine/research/HtmlTagTraits.h"

namespace zentrel {

namespace {
// Foreign names are kept apart by a prefix no tag name has.
const QByteArray kForeignPrefix("\x01", 1);

constexpr const char* kKnownNames[HtmlNames::KnownCount] = {"html",       "p",
                                                            "li",         "dd",
                                                            "dt",         "option",
                                                            "optgroup",   "select",
                                                            "button",     "a",
                                                            "nobr",       "table",
                                                            "tbody",      "thead",
                                                            "tfoot",      "tr",
                                                            "td",         "th",
                                                            "caption",    "col",
                                                            "colgroup",   "template",
                                                            "form",       "svg",
                                                            "math",       "mglyph",
                                                            "malignmark", "annotation-xml",
                                                            "address",    "div",
                                                            "ruby",       "rb",
                                                            "rp",         "rt",
                                                            "rtc",        "\x02",
                                                            "\x03",       "\x01annotation-xml"};
} // namespace

HtmlNames::HtmlNames()
{
    for (const char* name : kKnownNames)
        add(QByteArray(name), HtmlTagTraits::of(name));
}

int HtmlNames::html(const QByteArray& name)
{
    const auto it = m_ids.constFind(name);
    if (it != m_ids.cend())
        return it.value();
    if (gumbo_tagn_enum(name.constData(), static_cast<unsigned int>(name.size())) ==
        GUMBO_TAG_UNKNOWN) {
        m_ids.insert(name, Unknown);
        return Unknown;
    }
    return add(name, HtmlTagTraits::of(name));
}

int HtmlNames::foreign(const QByteArray& name)
{
    const QByteArray key = kForeignPrefix + name;
    const auto it = m_ids.constFind(key);
    return it != m_ids.cend() ? it.value() : add(key, 0);
}

int HtmlNames::add(const QByteArray& key, std::uint32_t traits)
{
    const int id = static_cast<int>(m_traits.size());
    m_ids.insert(key, id);
    m_traits.push_back(traits);
    return id;
}

} // namespace zentrel
