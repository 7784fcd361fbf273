// The information page: reading its META lines and comparing versions.
#include "update/upinfo.h"
#include "update/webupdate.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

QStringList lines(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* l : list)
        out << QString::fromUtf8(l);
    return out;
}

TupPageValues parse(std::initializer_list<const char*> list)
{
    return ParseInfo(lines(list), TupTagInfo());
}

} // namespace

TEST(ParseInfo, ReadsEveryTagOfAPage)
{
    const TupPageValues v = parse({
        "<html><head>",
        "<META NAME=\"upProduct\" CONTENT=\"Fendrix\">",
        "<META NAME=\"upVersion\" CONTENT=\"2.1.8\">",
        "<META NAME=\"upDownload\" CONTENT=\"http://host/files/setup.zip\">",
        "<META NAME=\"upClientSideName\" CONTENT=\"setup.zip\">",
        "<META NAME=\"upRunParameters\" CONTENT=\"/S /D=x\">",
        "<META NAME=\"upVerDate\" CONTENT=\"20240229\">",
        "<META NAME=\"upAuthor\" CONTENT=\"Braxholm\">",
        "<META NAME=\"upEmail\" CONTENT=\"support@braxholm.example\">",
        "</head></html>",
    });
    EXPECT_EQ(v.ProductName, "Fendrix");
    EXPECT_EQ(v.Version, "2.1.8");
    EXPECT_EQ(v.Download, "http://host/files/setup.zip");
    EXPECT_EQ(v.ClientFileName, "setup.zip");
    EXPECT_EQ(v.RunParameters, "/S /D=x");
    EXPECT_EQ(v.VerDate, QDate(2024, 2, 29));
    EXPECT_EQ(v.Author, "Braxholm");
    EXPECT_EQ(v.Email, "support@braxholm.example");
    EXPECT_TRUE(v.Redirection.isEmpty());
}

TEST(ParseInfo, WhatALineNames)
{
    // Keywords in any case but tag names exactly, no blanks around "=" nor a second one after
    // META, and a closing quote.
    const struct {
        const char* line;
        const char* version;
    } cases[] = {
        { "<meta name=\"upVersion\" content=\"3.0\">", "3.0" },
        { "<META NAME=\"UPVERSION\" CONTENT=\"3.0\">", "" },
        { "<META NAME = \"upVersion\" CONTENT=\"3.0\">", "" },
        { "<META NAME= \"upVersion\" CONTENT=\"3.0\">", "" },
        { "<META  NAME=\"upVersion\" CONTENT=\"3.0\">", "" },
        { "<META NAME=\"upVersion CONTENT=3.0>", "" },
        // Upper-casing "ß" would lengthen the line; the tag must still be found where it is.
        { "Straße <META NAME=\"upVersion\" CONTENT=\"2.5\">", "2.5" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse({ c.line }).Version, QString::fromUtf8(c.version)) << c.line;

    // The closing quote must be one of the 255 characters after the opening one.
    const std::string value(254, 'a');
    const std::string ok = "<META NAME=\"upDownload\" CONTENT=\"" + value + "\">";
    const std::string tooLong = "<META NAME=\"upDownload\" CONTENT=\"" + value + "b\">";
    EXPECT_EQ(ParseInfo({ QString::fromStdString(ok) }, TupTagInfo()).Download.size(), 254);
    EXPECT_TRUE(ParseInfo({ QString::fromStdString(tooLong) }, TupTagInfo()).Download.isEmpty());

    // A release date that does not exist is date 0.
    const auto date = [](const char* text) {
        return parse({ ("<META NAME=\"upVerDate\" CONTENT=\"" + std::string(text) + "\">").c_str() }).VerDate;
    };
    EXPECT_EQ(date("20231231"), QDate(2023, 12, 31));
    for (const char* text : { "20240230", "soon", "20231301", "00000101" })
        EXPECT_TRUE(date(text).isNull()) << text;
}

TEST(ParseInfo, LastLineWinsAndOtherLinesAreIgnored)
{
    const TupPageValues v = parse({
        "<META NAME=\"upVersion\" CONTENT=\"1.0\">",
        "<p>upVersion 9.9</p>",
        "<META NAME=\"upUnknown\" CONTENT=\"x\">",
        "<META NAME=\"upVersion\" CONTENT=\"2.0\">",
    });
    EXPECT_EQ(v.Version, "2.0");
}

TEST(ParseInfo, CustomTagNames)
{
    TupTagInfo tags;
    tags.Version = QStringLiteral("release");
    const TupPageValues v = ParseInfo(
        lines({ "<META NAME=\"release\" CONTENT=\"4.0\">", "<META NAME=\"upVersion\" CONTENT=\"1.0\">" }),
        tags);
    EXPECT_EQ(v.Version, "4.0");
}

TEST(SplitPageLines, AllLineBreakStyles)
{
    EXPECT_EQ(SplitPageLines(QStringLiteral("a\r\nb\nc\rd\n")), QStringList({ "a", "b", "c", "d" }));
    EXPECT_EQ(SplitPageLines(QStringLiteral("one")), QStringList({ "one" }));
}

struct VersionCase {
    const char* current;
    const char* offered;
    bool newer;
};

class StandardVersions : public ::testing::TestWithParam<VersionCase> { };

TEST_P(StandardVersions, Compare)
{
    const VersionCase c = GetParam();
    EXPECT_EQ(IsNewerVersion(QString::fromUtf8(c.current), QString::fromUtf8(c.offered), vfStandard), c.newer)
        << c.current << " vs " << c.offered;
}

INSTANTIATE_TEST_SUITE_P(IsNewerVersion, StandardVersions,
    ::testing::Values(VersionCase { "2.1.7", "2.1.8", true }, VersionCase { "2.1.7", "2.1.7", false },
        VersionCase { "2.1.7", "2.2.0", true }, VersionCase { "2.1.7", "2.0.9", false },
        // The comparison ends with the program's last component.
        VersionCase { "2.1", "2.1.1", false }, VersionCase { "2.1.1", "2.1", false },
        VersionCase { "2.1", "2.2", true }, VersionCase { "2.9.9", "10.0.0", true },
        VersionCase { "2.10", "2.9", false }, VersionCase { "1.0", "x.y", false },
        VersionCase { "", "1", true }, VersionCase { "3", "3", false }));

TEST(IsNewerVersion, StringAndNumberFormats)
{
    EXPECT_TRUE(IsNewerVersion("2.1.7", "2.1.8", vfString));
    EXPECT_FALSE(IsNewerVersion("2.9", "2.10", vfString)); // character by character
    EXPECT_FALSE(IsNewerVersion("b", "B", vfString));
    EXPECT_TRUE(IsNewerVersion("2.10", "2.9", vfString));

    EXPECT_TRUE(IsNewerVersion("2.5", "2.75", vfNumber));
    EXPECT_FALSE(IsNewerVersion("2.75", "2.5", vfNumber));
    EXPECT_FALSE(IsNewerVersion("2.5", "2.5", vfNumber));
    EXPECT_FALSE(IsNewerVersion("2.1.7", "2.1.8", vfNumber)); // not numbers
    EXPECT_FALSE(IsNewerVersion("2", "three", vfNumber));
}

TEST(ProductInfo, URLGetsASchemeWhenItHasNone)
{
    TupProductInfo info;
    info.setURL(QStringLiteral("www.braxholm.example/updates/qzp/qzp.html"));
    EXPECT_EQ(info.URL(), "http://www.braxholm.example/updates/qzp/qzp.html");
    for (const char* url : { "HTTPS://www.braxholm.example/x", "Http://a/b" }) {
        info.setURL(QString::fromUtf8(url));
        EXPECT_EQ(info.URL(), url);
    }
}

TEST(ProductInfo, TheBuiltInPageIsFetchedOverTls)
{
    EXPECT_TRUE(UpdatePageURL().startsWith(QLatin1String("https://")));
    EXPECT_TRUE(UpdatePageURL().endsWith(QLatin1String("/updates/qzp/qzp.html")));
    EXPECT_FALSE(UpdatePageURL().contains(QLatin1String("//updates")));
}

TEST(ClientFileName, OnlyTheLastComponentIsKept)
{
    EXPECT_EQ(ClientFileNamePart("setup.zip"), "setup.zip");
    EXPECT_EQ(ClientFileNamePart("../../x"), "x");
    EXPECT_EQ(ClientFileNamePart("/etc/x"), "x");
    EXPECT_EQ(ClientFileNamePart("..\\..\\evil.exe"), "evil.exe");
    EXPECT_EQ(ClientFileNamePart("C:\\Windows\\a.b"), "a.b");
    EXPECT_EQ(ClientFileNamePart("a/b\\c"), "c");
    for (const QString& bad : { QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("x/.."),
             QStringLiteral("dir/"), QStringLiteral("dir\\"), QStringLiteral("a") + QChar(0) + "b" })
        EXPECT_TRUE(ClientFileNamePart(bad).isEmpty()) << bad.toStdString();
}

TEST(WebUpdate, ParseURL)
{
    TupWebUpdate w;
    // https splits the same way; a URL without a path has "/".
    for (const auto& [url, expectedHost, expectedPath] :
        { std::tuple { "http://www.braxholm.example/updates/qzp/qzp.html", "www.braxholm.example",
              "/updates/qzp/qzp.html" },
            { "HTTPS://www.braxholm.example/updates/qzp/qzp.html", "www.braxholm.example",
                "/updates/qzp/qzp.html" },
            { "http://host:8080", "host:8080", "/" } }) {
        QString host, path;
        w.ParseURL(url, host, path);
        EXPECT_EQ(host, expectedHost) << url;
        EXPECT_EQ(path, expectedPath) << url;
    }
}
