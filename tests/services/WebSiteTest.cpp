// The web site's base address: where it comes from, what passes as one, the pages built on it.

#include "services/WebSite.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace veltrona::test {
namespace {

TEST(WebSite, BaseAddressesThatPass)
{
    const std::pair<const char*, const char*> cases[] = {
        {"https://www.brantholm.com", "https://www.brantholm.com"},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"http://localhost/", "http://localhost"},
        {"https://[::1]:443", "https://[::1]:443"},
        {"http://a-b.example:65535", "http://a-b.example:65535"},
    };
    for (const auto& [given, base] : cases)
        EXPECT_EQ(webSiteBase(given), std::optional<std::string>(base)) << given;
}

TEST(WebSite, AnythingMoreOrLessIsRefused)
{
    for (const char* text : {"",
                             "www.brantholm.com",
                             "ftp://host",
                             "HTTP://host",
                             "https://",
                             "https://host/path",
                             "https://host?q=1",
                             "https://host#x",
                             "https://user@host",
                             "https://host:0",
                             "https://host:65536",
                             "https://host:80x",
                             "https://host:",
                             "https://ho st",
                             "https://-host",
                             "https://host..com",
                             "https://host//",
                             "https://::1",
                             "https://[::g]",
                             "https://[::1]x",
                             "https://{a,b}.com",
                             "https://host;rm -rf",
                             "https://host\n"})
        EXPECT_EQ(webSiteBase(text), std::nullopt) << text;
}

TEST(WebSite, EnvironmentThenInfoDictionaryThenDefault)
{
    PlistDictionary info;
    EXPECT_EQ(webSiteAddress(info, nullptr).base, kDefaultWebSite);
    info.set(kWebSiteInfoKey, "https://info.example");
    EXPECT_EQ(webSiteAddress(info, nullptr).base, "https://info.example");
    EXPECT_EQ(webSiteAddress(info, "").base, "https://info.example");
    const WebSiteAddress overridden = webSiteAddress(info, "http://127.0.0.1:8080/");
    EXPECT_TRUE(overridden.status.ok());
    EXPECT_EQ(overridden.base, "http://127.0.0.1:8080");
}

TEST(WebSite, BadValueIsAnErrorNamingItsSource)
{
    PlistDictionary info;
    info.set(kWebSiteInfoKey, "https://info.example");
    const WebSiteAddress badVariable = webSiteAddress(info, "http://evil.example/x?y");
    EXPECT_FALSE(badVariable.status.ok());
    EXPECT_EQ(badVariable.base, "");
    EXPECT_NE(badVariable.status.message().find("VELTRONA_WEB_SITE"), std::string::npos);
    EXPECT_NE(badVariable.status.message().find("http://evil.example/x?y"), std::string::npos);

    info.set(kWebSiteInfoKey, 42);
    const WebSiteAddress badInfo = webSiteAddress(info, nullptr);
    EXPECT_FALSE(badInfo.status.ok());
    EXPECT_NE(badInfo.status.message().find(kWebSiteInfoKey), std::string::npos);
}

TEST(WebSite, PagesByTag)
{
    const std::string base = "https://www.brantholm.com";
    EXPECT_EQ(webPageForTag(base, 82), "https://www.brantholm.com/");
    EXPECT_EQ(webPageForTag(base, 80), "https://www.brantholm.com/software/VeltronaForElCapitan/");
    for (int tag : {0, 1, 81, 83, -80})
        EXPECT_EQ(webPageForTag(base, tag), "") << tag;
    EXPECT_EQ(versionPage(base), "https://www.brantholm.com/software/version.php?item_number=13030");
}

} // namespace
} // namespace veltrona::test
