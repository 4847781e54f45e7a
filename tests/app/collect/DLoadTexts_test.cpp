#include "app/collect/DLoadTexts.h"

#include <gtest/gtest.h>

TEST(DLoadTexts, PanelErrorText)
{
    const struct {
        QString description;
        QString shown;
    } cases[] = {
        {"Not Found", "Not Found"},
        {"Timeout exceeded. ", "Timeout exceeded"},
        {"  Connection status is offline. \r\n", "Connection status is offline"},
        {"Failed.\r\n\t\r\n", "Failed"},
        {"Two dots..", "Two dots."},
        {"\tLeading tab stays", "\tLeading tab stays"},
        {"", ""},
        {"     ", ""},
        {"\r\n", ""},
        {" \r\n\t \r\n", ""},
        {".", ""},
        {" . \r\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DLoadTexts::PanelErrorText(c.description), c.shown)
            << c.description.toStdString();
}

// The site of an address: scheme, host and the folder before the path's last "/"; a bare host,
// or anything but a web address, gives nothing.
TEST(DLoadTexts, SiteToCrawl)
{
    const struct {
        QString address;
        QString site;
    } cases[] = {
        {"http://example.org/folder/page.html", "http://example.org/folder"},
        {"https://example.org/page.html", "https://example.org"},
        {"http://example.org/", "http://example.org"},
        {"http://example.org/a/b/", "http://example.org/a/b"},
        {"https://example.org", ""},
        {"http://example.org", ""},
        {"https://example.org?q=a/b", ""},
        {"http://127.0.0.1:8080/x/y.htm?q=a/b#c/d", "http://127.0.0.1:8080/x"},
        {"HTTP://Example.ORG/Dir/P.htm", "http://example.org/Dir"},
        {"http://example.org/a%20b/c.htm", "http://example.org/a%20b"},
        {"  http://example.org/a/b.htm  ", "http://example.org/a"},
        {"ftp://example.org/dir/file", ""},
        {"javascript:alert('/x/y')", ""},
        {"example.org/dir/page", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DLoadTexts::SiteToCrawl(c.address), c.site) << c.address.toStdString();
}

TEST(DLoadTexts, IsWebAddress)
{
    const struct {
        QString address;
        bool web;
    } cases[] = {
        {"http://example.org/x", true},
        {"HTTPS://example.org", true},
        {"http://127.0.0.1:8080/a\"b c", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"mailto:someone@example.org", false},
        {"example.org/x", false},
        {"-http://example.org", false},
        {"http://", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DLoadTexts::IsWebAddress(c.address), c.web) << c.address.toStdString();
}
