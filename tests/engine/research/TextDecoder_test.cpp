#include "engine/research/TextDecoder.h"

#include <gtest/gtest.h>

#include "tests/engine/research/QStringPrinter.h"

using zentrel::TextDecoder;

TEST(TextDecoder, Decode)
{
    const struct {
        QByteArray body;
        QByteArray contentType;
        const char* text; // UTF-8
    } cases[] = {
        // Windows-1252 when the bytes are not UTF-8.
        {"caf\xe9 \x93quoted\x94 \x80", "text/html",
         "caf\xc3\xa9 \xe2\x80\x9cquoted\xe2\x80\x9d \xe2\x82\xac"},
        {"a\xc3(b", {}, "a\xc3\x83(b"},
        // UTF-8, also when a byte range cut the last character.
        {"caf\xc3\xa9 cr\xc3\xa8me", {}, "caf\xc3\xa9 cr\xc3\xa8me"},
        {"caf\xc3\xa9 na\xc3", {}, "caf\xc3\xa9 na"},
        {"euro \xe2\x82", {}, "euro "},
        {"plain ascii", {}, "plain ascii"},
        // The header's charset first, then the page's meta.
        {"\xb1", "text/html; charset=ISO-8859-2", "\xc4\x85"},
        {"\xb1", "text/html; charset=\"iso-8859-2\"", "\xc4\x85"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\xc1",
         {},
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\xd0\xb0"},
        {"<META CHARSET='iso-8859-2'>\xb1", {}, "<META CHARSET='iso-8859-2'>\xc4\x85"},
        {"<meta charset=koi8-r>\xc1", "text/html; charset=iso-8859-2",
         "<meta charset=koi8-r>\xc3\x81"},
        // Latin-1 labels are read as Windows-1252, as browsers do.
        {"\x93x\x94", "text/html; charset=iso-8859-1", "\xe2\x80\x9cx\xe2\x80\x9d"},
        // A declared UTF-8 page cut mid-character.
        {"na\xc3\xafve\xc3", "text/html; charset=utf-8", "na\xc3\xafve"},
        // An unknown charset name is passed over.
        {"caf\xc3\xa9", "text/html; charset=x-unknown-set", "caf\xc3\xa9"},
        {"caf\xe9 x", "text/html; charset=x-unknown-set", "caf\xc3\xa9 x"},
        {{}, {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextDecoder::Decode(c.body, c.contentType), QString::fromUtf8(c.text))
            << c.body.toStdString() << " / " << c.contentType.toStdString();
}

TEST(TextDecoder, ABodyInvalidInItsDeclaredCharsetIsReadAsUtf8ThenAsWindows1252)
{
    const struct {
        const char* what;
        QByteArray body;
        QByteArray contentType;
        const char* text; // UTF-8
    } cases[] = {
        {"declared UTF-8, written in Windows-1252", "caf\xe9 cr\xe8me phrase",
         "text/html; charset=utf-8", "caf\xc3\xa9 cr\xc3\xa8me phrase"},
        {"declared UTF-8 by the meta, written in Windows-1252",
         "<meta charset=\"utf-8\"><meta name=keywords content=\"caf\xe9 cr\xe8me\">",
         {},
         "<meta charset=\"utf-8\"><meta name=keywords content=\"caf\xc3\xa9 cr\xc3\xa8me\">"},
        {"declared Shift_JIS, written in UTF-8", "voil\xc3\xa0 na\xc3\xafve",
         "text/html; charset=Shift_JIS", "voil\xc3\xa0 na\xc3\xafve"},
        {"declared Shift_JIS, written in Windows-1252", "caf\xe9 cr\xe8me",
         "text/html; charset=shift_jis", "caf\xc3\xa9 cr\xc3\xa8me"},
        // Valid in the declared charset: read in it.
        {"valid Shift_JIS", "\x82\xa0\x82\xa2", "text/html; charset=Shift_JIS",
         "\xe3\x81\x82\xe3\x81\x84"},
        {"valid Shift_JIS cut mid-character", "\x82\xa0\x82", "text/html; charset=Shift_JIS",
         "\xe3\x81\x82"},
        {"declared Latin-1, valid UTF-8 too", "caf\xc3\xa9", "text/html; charset=ISO-8859-1",
         "caf\xc3\x83\xc2\xa9"},
        {"declared Windows-1252, with an unassigned byte", "\x93x\x94 \x81",
         "text/html; charset=windows-1252", "\xe2\x80\x9cx\xe2\x80\x9d \xc2\x81"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextDecoder::Decode(c.body, c.contentType), QString::fromUtf8(c.text)) << c.what;
}

TEST(TextDecoder, DeclaredCharset)
{
    EXPECT_EQ(TextDecoder::DeclaredCharset("<meta charset=\"UTF-8\">", {}), "utf-8");
    EXPECT_EQ(TextDecoder::DeclaredCharset("<p>charset=koi8-r</p>", {}), "");
    EXPECT_EQ(TextDecoder::DeclaredCharset("", "text/html;charset=Windows-1251"), "windows-1251");
    EXPECT_EQ(TextDecoder::CharsetParameter("text/html"), "");
}
