#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QHash>

namespace zentrel {

// Numbers the element names of a page as gumbo tells them apart: HTML names it does not know
// all share one number, as it matches their end tags by none; SVG and MathML elements are
// numbered apart from HTML elements of the same name, by their names.
class HtmlNames {
public:
    // The names the rules look for, numbered in this order before any other.
    enum Known : int {
        Html,
        P,
        Li,
        Dd,
        Dt,
        Option,
        Optgroup,
        Select,
        Button,
        A,
        Nobr,
        Table,
        Tbody,
        Thead,
        Tfoot,
        Tr,
        Td,
        Th,
        Caption,
        Col,
        Colgroup,
        Template,
        Form,
        Svg,
        Math,
        Mglyph,
        Malignmark,
        AnnotationXml,
        Address,
        Div,
        Ruby,
        Rb,
        Rp,
        Rt,
        Rtc,
        Unknown,              // every HTML name the parser does not know
        Unnamed,              // an element the parser took out of its stack, its content open
        ForeignAnnotationXml, // MathML's annotation-xml
        KnownCount
    };

    HtmlNames();

    // The number of an HTML element's lower-case name.
    int html(const QByteArray& name);
    // The number of an SVG or MathML element's lower-case name.
    int foreign(const QByteArray& name);
    // The HtmlTagTraits of an HTML element's name; none for a foreign one.
    std::uint32_t traits(int name) const { return m_traits[static_cast<std::size_t>(name)]; }

private:
    int add(const QByteArray& key, std::uint32_t traits);

    QHash<QByteArray, int> m_ids;
    std::vector<std::uint32_t> m_traits;
};

} // namespace zentrel
