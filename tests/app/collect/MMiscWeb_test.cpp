#include <gtest/gtest.h>

#include "app/collect/MMisc.h"
#include "app/collect/WebAddress.h"
#include "app/shell/StringTable.h"
#include "engine/platform/CUtilities.h"
#include "engine/research/CSEContacter.h"
#include "tests/app/collect/CollectFixture.h"
#include "tests/engine/research/QStringPrinter.h"

using collecttest::Engine;

namespace {

bool requested(const Engine& e, const QString& part)
{
    for (const std::string& target : e.server.targets())
        if (QString::fromStdString(target).contains(part))
            return true;
    return false;
}

} // namespace

TEST(WebAddress, SiteNameIsTheHostWithItsPort)
{
    const struct {
        const char* typed;
        const char* site;
    } cases[] = {
        {"example.org", "example.org"},
        {"httpd.example.org", "httpd.example.org"},
        {"HTTP://example.org/x", "example.org"},
        {"https://example.org/", "example.org"},
        {"example.org\\folder\\page.htm", "example.org"},
        {"http://example.org:8080/path?q=1", "example.org:8080"},
        {"Ftp://files.example.org", "files.example.org"},
        {"http://user:pw@example.org/", "example.org"},
        {"example.org?x#y", "example.org"},
        {"http:///x.htm", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebAddress::SiteName(c.typed), c.site) << c.typed;
}

TEST(WebAddress, PageWithoutSchemeGetsHttp)
{
    const struct {
        const char* typed;
        const char* url;
    } cases[] = {
        {"example.org/page.html", "http://example.org/page.html"},
        {"HTTP://example.org/p", "HTTP://example.org/p"},
        {"https://example.org\\a\\b.htm", "https://example.org/a/b.htm"},
        {"127.0.0.1:8080/x", "http://127.0.0.1:8080/x"},
        {"httpd.example.org", "http://httpd.example.org"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebAddress::PageURL(c.typed), c.url) << c.typed;
}

TEST(MMiscWeb, PagesFoundByAKeywordAreSearched)
{
    Engine e;
    e.script.input(QStringLiteral("  blue widgets "));
    MMisc::ImportFromGoogle(e.log, e.scripting);
    const auto asked = e.script.shown(MsgService::Kind::Input);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().prompt, StringTable::text(117));
    EXPECT_EQ(asked.first().title, StringTable::text(110));
    EXPECT_TRUE(testsupport::waitUntil([&] { return requested(e, "as_q=blue+widgets"); }));

    // Cancel (an empty answer) starts nothing.
    MMisc::ImportFromGoogle(e.log, e.scripting);
    EXPECT_EQ(e.script.shown(MsgService::Kind::Input).size(), 2);
    EXPECT_TRUE(e.logSources().filter("MMisc.").isEmpty());
}

TEST(MMiscWeb, SiteIsCrawledByItsHostWhateverTheSchemeOrPath)
{
    Engine e;
    const QString host = e.server.host();
    const QString site = QStringLiteral("site:") + zentrel::CUtilities::URLEncode(host);
    const QStringList typed = {
        "HTTP://" + host + "/x",
        "https://" + host + "/",
        host + "\\folder",
    };
    for (const QString& answer : typed) {
        SCOPED_TRACE(answer.toStdString());
        const auto before = e.server.targets().size();
        e.script.input(answer);
        MMisc::ImportFromSite(e.log, e.scripting);
        EXPECT_TRUE(testsupport::waitUntil([&] {
            const auto targets = e.server.targets();
            return targets.size() > before &&
                   QString::fromStdString(targets.back()).contains(site + "&");
        }));
    }
    EXPECT_EQ(e.script.shown(MsgService::Kind::Input).first().prompt, StringTable::text(130));
    EXPECT_TRUE(e.messages().isEmpty());
}

TEST(MMiscWeb, AddressesWithoutADotAreRefused)
{
    Engine e;
    e.script.input(QStringLiteral(" localhost "));
    MMisc::ImportFromSite(e.log, e.scripting);
    e.script.input(QStringLiteral("intranet/page"));
    MMisc::ImportFromURL(e.log, e.scripting);
    EXPECT_EQ(e.messages(), (QStringList{StringTable::format(106, {"localhost"}),
                                         StringTable::format(107, {"intranet/page"})}));
    for (const auto& shown : e.script.shown(MsgService::Kind::Message))
        EXPECT_EQ(shown.style, 48);
    EXPECT_EQ(e.scripting.SEContacter()->RunningJobs(), 0);
    EXPECT_TRUE(e.logSources().isEmpty());
}

TEST(MMiscWeb, PageTypedWithoutSchemeIsFetchedAndItsKeywordsArrive)
{
    Engine e;
    e.server.page("/dir/page.html", "<html><head><meta name=\"keywords\" content=\"web keyword, "
                                    "second phrase\"></head><body>x</body></html>");
    e.script.input(e.server.host() + "\\dir\\page.html");
    MMisc::ImportFromURL(e.log, e.scripting);
    EXPECT_EQ(e.script.shown(MsgService::Kind::Input).first().prompt, StringTable::text(131));
    EXPECT_TRUE(testsupport::waitUntil([&] { return e.relevancyOf("second phrase") == -1; }));
    EXPECT_EQ(e.relevancyOf("web keyword"), -1);
    EXPECT_TRUE(e.owner.refreshed.isEmpty());
}
