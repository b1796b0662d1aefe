// The detail page: placeholder lines, the cover tag, and building the page file; the cover
// picture lookup it shares with the detail pane.
#include "catalog_fixture.h"

#include "catalog/cover_lookup.h"
#include "catalog/detail_page.h"
#include "common/app_error.h"
#include "common/gbk_codec.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

namespace {

const QHash<QString, QString> Record = {
    {QStringLiteral("sm"), QStringLiteral("高等数学")},
    {QStringLiteral("jj"), QStringLiteral("第一段\r\n第二段")},
    {QStringLiteral("dj"), QStringLiteral("12.5")},
    {QStringLiteral("zero"), QStringLiteral("0")},
    {QStringLiteral("big"), QStringLiteral("1234567")},
    {QStringLiteral("half"), QStringLiteral("2.5")},
    {QStringLiteral("neg"), QStringLiteral("-12.5")},
    {QStringLiteral("cents"), QStringLiteral("1.005")},
    {QStringLiteral("word"), QStringLiteral("十二")},
    {QStringLiteral("grouped"), QStringLiteral("1,234")},
    {QStringLiteral("empty"), QString()},
    {QStringLiteral("lf"), QStringLiteral("第1章 绪论\n第2章 方法")},
    {QStringLiteral("cr"), QStringLiteral("甲\r乙")},
    {QStringLiteral("breaks"), QStringLiteral("x\r\n\r\ny\n")},
    {QStringLiteral("markup"), QStringLiteral("C++ <入门> & \"引号\" 'STL'")},
    {QStringLiteral("closing"), QStringLiteral("</td></tr><script>x</script>\n<b>")},
};

std::optional<QString> lookup(const QString &name)
{
    const auto it = Record.constFind(name);
    return it == Record.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

struct LineCase {
    QString line;
    QString expected;
};

class PlaceholderLine : public ::testing::TestWithParam<LineCase> {};

// expected: the output lines joined by "\n" (a value with line breaks gives several lines).
TEST_P(PlaceholderLine, BecomesItsOutput)
{
    const QStringList out = DetailPage::render({GetParam().line}, lookup, QStringLiteral("<img>"));
    EXPECT_EQ(out.join(u'\n'), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, PlaceholderLine,
    ::testing::Values(
        LineCase{"  $$sm \t", "高等数学"},                  // blanks around the marker
        LineCase{"<td>$$sm</td>", ""},                       // text before the marker
        LineCase{"$$jj", "第一段<br>\n第二段"},              // CR LF ends a line with <br>
        LineCase{"$$lf", "第1章 绪论<br>\n第2章 方法"},     // so does a bare LF
        LineCase{"$$cr", "甲<br>\n乙"},                      // and a bare CR
        LineCase{"$$breaks", "x<br>\n<br>\ny<br>\n"},
        LineCase{"$$markup", "C++ &lt;入门&gt; &amp; &quot;引号&quot; &#39;STL&#39;"},
        LineCase{"$$closing", "&lt;/td&gt;&lt;/tr&gt;&lt;script&gt;x&lt;/script&gt;<br>\n&lt;b&gt;"},
        LineCase{"$$nosuch", ""},                            // missing column with $$
        LineCase{"$$", ""},
        LineCase{"$$fmtp", "<img>"},
        LineCase{"  $$FMTP", "<img>"},
        LineCase{"$$dj", "12.5"},                            // $$ is the plain text
        LineCase{"$@dj", "12.50"},
        LineCase{"$@zero", "0"},
        LineCase{"$@big", "1,234,567.00"},
        LineCase{"$@neg", "12.50"},                          // negative shown without sign
        LineCase{"$@cents", "1.01"},
        LineCase{"$#dj", "13"},                              // half away from zero
        LineCase{"$#half", "3"},
        LineCase{"$#neg", "-13"},
        LineCase{"$#zero", "0"},
        LineCase{"$#big", "1,234,567"},
        LineCase{"$#word", ""},                              // not a number: empty line
        LineCase{"$#grouped", ""},
        LineCase{"$@empty", ""},
        LineCase{"$$dj $#big", ""},                          // $$ wins over $#
        LineCase{"$#big $$sm", ""},
        LineCase{"<p>价格</p>", "<p>价格</p>"},              // no marker: copied
        LineCase{"$ $sm", "$ $sm"}));

TEST(DetailPageRender, NumberMarkerNamingAMissingColumnIsAnError)
{
    for (const QString &line : {QStringLiteral("$@nosuch"), QStringLiteral("$#nosuch"),
                                QStringLiteral("<td>$#dj</td>")}) {
        try {
            DetailPage::render({QStringLiteral("<p>"), line}, lookup, QString());
            ADD_FAILURE() << "no error for " << line.toStdString();
        } catch (const AppError &e) {
            EXPECT_TRUE(e.text().contains(QStringLiteral("第 2 行"))) << e.text().toStdString();
        }
    }
}

TEST(DetailPageRender, TemplateLinesSplitOnAnyLineEnd)
{
    EXPECT_EQ(DetailPage::splitLines(QStringLiteral("a\r\nb\nc\rd\r\n")),
              (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(DetailPage::splitLines(QStringLiteral("a\r\n\r\nb")), (QStringList{"a", "", "b"}));
}

class CoverTest : public ::testing::Test {
protected:
    TempTree tree;
    void SetUp() override
    {
        tree.writeFile(QStringLiteral("bookimages/both.jpg"), "s");
        tree.writeFile(QStringLiteral("bookimages/big/both.jpg"), "b");
        tree.writeFile(QStringLiteral("bookimages/small.jpg"), "s");
        tree.writeFile(QStringLiteral("bookimages/big/large.jpg"), "b");
        tree.writeFile(QStringLiteral("bookimages/sub/x.jpg"), "s");   // "sub" is a folder
    }
    QString images(const QString &rest) const { return tree.path(QStringLiteral("bookimages/") + rest); }
};

TEST_F(CoverTest, FoldersAreLookedUpIndependently)
{
    struct Case {
        QString fmtp, small, large;
    };
    const Case cases[] = {
        {"both.jpg", "both.jpg", "big/both.jpg"},
        {"small.jpg", "small.jpg", "big/nocover.bmp"},
        {"large.jpg", "nocover.bmp", "big/large.jpg"},
        {"", "nocover.bmp", "big/nocover.bmp"},
        {"gone.jpg", "nocover.bmp", "big/nocover.bmp"},
        {"sub", "nocover.bmp", "big/nocover.bmp"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CoverLookup::smallPicture(c.fmtp), images(c.small)) << c.fmtp.toStdString();
        EXPECT_EQ(CoverLookup::largePicture(c.fmtp), images(c.large)) << c.fmtp.toStdString();
    }
}

TEST_F(CoverTest, WindowsNamesFindTheirFileWithoutRegardToCaseOrTrailingBlanks)
{
    tree.writeFile(QStringLiteral("bookimages/Cover07.JPG"), "s");
    tree.writeFile(QStringLiteral("bookimages/big/高数 封面.jpg"), "b");
    tree.writeFile(QStringLiteral("bookimages/same.jpg"), "s");
    tree.writeFile(QStringLiteral("bookimages/SAME.JPG"), "s");
    struct Case {
        QString fmtp, small, large;
    };
    const Case cases[] = {
        {"cover07.jpg", "Cover07.JPG", "big/nocover.bmp"},
        {"COVER07.JPG   ", "Cover07.JPG", "big/nocover.bmp"},
        {"cover07.jpg\t", "Cover07.JPG", "big/nocover.bmp"},
        {"高数 封面.JPG ", "nocover.bmp", "big/高数 封面.jpg"},
        {"BOTH.JPG", "both.jpg", "big/both.jpg"},
        {"same.jpg", "same.jpg", "big/nocover.bmp"},     // an exact name wins over another case
        {"SAME.JPG  ", "SAME.JPG", "big/nocover.bmp"},
        {" cover07.jpg", "nocover.bmp", "big/nocover.bmp"},   // leading blanks are part of the name
        {"cover07", "nocover.bmp", "big/nocover.bmp"},
        {"   ", "nocover.bmp", "big/nocover.bmp"},
        {"SUB", "nocover.bmp", "big/nocover.bmp"},       // still not a folder
    };
    for (int round = 0; round < 2; ++round) {   // the second round answers from the kept listing
        for (const Case &c : cases) {
            EXPECT_EQ(CoverLookup::smallPicture(c.fmtp), images(c.small)) << c.fmtp.toStdString();
            EXPECT_EQ(CoverLookup::largePicture(c.fmtp), images(c.large)) << c.fmtp.toStdString();
        }
    }
}

TEST_F(CoverTest, KeptListingFollowsChangesOfTheFolder)
{
    EXPECT_EQ(CoverLookup::fileName(QStringLiteral("LATE.JPG"), CoverLookup::Size::Small), QString());
    tree.writeFile(QStringLiteral("bookimages/late.jpg"), "s");
    EXPECT_EQ(CoverLookup::fileName(QStringLiteral("LATE.JPG"), CoverLookup::Size::Small), QStringLiteral("late.jpg"));
    ASSERT_TRUE(QFile::remove(images(QStringLiteral("late.jpg"))));
    EXPECT_EQ(CoverLookup::fileName(QStringLiteral("LATE.JPG"), CoverLookup::Size::Small), QString());
}

TEST_F(CoverTest, PageTagIsEscapedAndItsAddressKeepsOddFileNames)
{
    struct Case {
        QString file, fmtp, src;
    };
    const Case cases[] = {
        {"a\"b&<c>.jpg", "a\"b&<c>.jpg", "../bookimages/big/a&quot;b&amp;&lt;c&gt;.jpg"},
        {"C#入门 100%.jpg", "C#入门 100%.jpg", "../bookimages/big/C%23入门 100%25.jpg"},
        {"what?.jpg", "WHAT?.JPG ", "../bookimages/big/what%3F.jpg"},
        {"it's.jpg", "it's.jpg", "../bookimages/big/it&#39;s.jpg"},
    };
    for (const Case &c : cases) {
        tree.writeFile(QStringLiteral("bookimages/big/") + c.file, "b");
        EXPECT_EQ(DetailPage::coverTag(c.fmtp),
                  QStringLiteral("<img width=\"200\" height=\"275\" src=\"%1\">").arg(c.src))
            << c.fmtp.toStdString();
    }
}

TEST_F(CoverTest, PageTagPrefersTheLargePictureThenTheSmallOne)
{
    EXPECT_EQ(DetailPage::coverTag(QStringLiteral("both.jpg")),
              QStringLiteral("<img width=\"200\" height=\"275\" src=\"../bookimages/big/both.jpg\">"));
    EXPECT_EQ(DetailPage::coverTag(QStringLiteral("small.jpg")),
              QStringLiteral("<img width=\"200\" height=\"275\" src=\"../bookimages/small.jpg\">"));
    for (const QString &fmtp : {QString(), QStringLiteral("gone.jpg")})
        EXPECT_EQ(DetailPage::coverTag(fmtp),
                  QStringLiteral("<img width=\"200\" height=\"275\" src=\"nocover.bmp\">"));
}

class DetailPageBuild : public CatalogFixture {
protected:
    void SetUp() override
    {
        insertBook({{"tm", "9787040001"}, {"sm", "高等数学"}, {"dj", 12.5}, {"ys", 1234},
                    {"jj", "上册\r\n下册"}, {"zz", "张三\n<李四>"}, {"fmtp", "small.jpg"}});
        tree.writeFile(QStringLiteral("bookimages/small.jpg"), "s");
    }
    void writeTemplate(const QString &text) const
    {
        tree.writeFile(QStringLiteral("html/book.html"), Gbk::encode(text));
    }
    QByteArray page(const QString &op = QString()) const
    {
        QFile f(DetailPage::pagePath(op));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(DetailPageBuild, WritesTheDeclaredGb18030PageWithCrLfForTheOperator)
{
    writeTemplate(QStringLiteral("<p>\r\n $$SM \r\n$@dj\r\n$#ys\r\n$$jj\r\n$$zz\r\n$$fmtp\r\n</p>"));
    const QString path = DetailPage::build(db, QStringLiteral("9787040001"), QStringLiteral("op1"));
    EXPECT_EQ(path, tree.path(QStringLiteral("html/book_op1.html")));
    // The template declares no charset, so the page starts with the declaration of its own.
    EXPECT_EQ(page(QStringLiteral("op1")),
              Gbk::encode(QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">\r\n"
                                         "<p>\r\n高等数学\r\n12.50\r\n1,234\r\n上册<br>\r\n下册\r\n"
                                         "张三<br>\r\n&lt;李四&gt;\r\n"
                                         "<img width=\"200\" height=\"275\" src=\"../bookimages/small.jpg\">\r\n"
                                         "</p>\r\n")));
}

TEST_F(DetailPageBuild, UnknownTitleFailsAndKeepsThePreviousPage)
{
    writeTemplate(QStringLiteral("$$sm"));
    tree.writeFile(QStringLiteral("html/book_.html"), "old");
    EXPECT_TRUE(DetailPage::build(db, QStringLiteral("nosuch"), QString()).isEmpty());
    EXPECT_EQ(page(), QByteArray("old"));
    EXPECT_EQ(DetailPage::errorPagePath(), tree.path(QStringLiteral("html/error.html")));
}

TEST_F(DetailPageBuild, TemplateFaultsAreErrorsThatWriteNoPage)
{
    tree.writeFile(QStringLiteral("html/book_.html"), "old");
    EXPECT_THROW(DetailPage::build(db, QStringLiteral("9787040001"), QString()), AppError);   // no template
    writeTemplate(QStringLiteral("$$sm\r\n$#nosuch\r\n"));
    EXPECT_THROW(DetailPage::build(db, QStringLiteral("9787040001"), QString()), AppError);
    EXPECT_EQ(page(), QByteArray("old"));
}

TEST_F(DetailPageBuild, ShippedTemplateNamesOnlyColumnsTheRecordHas)
{
    tree.copyFromDist(QStringLiteral("html/book.html"));
    const QString path = DetailPage::build(db, QStringLiteral("9787040001"), QString());
    ASSERT_FALSE(path.isEmpty());
    const QString text = Gbk::decode(page());
    EXPECT_TRUE(text.contains(QStringLiteral("高等数学")));
    EXPECT_TRUE(text.contains(QStringLiteral("12.50")));
    EXPECT_FALSE(text.contains(QStringLiteral("$$")));
}

struct DeclarationCase {
    const char *name;
    const char *html;
    const char *expected;
};

class CharsetDeclaration : public ::testing::TestWithParam<DeclarationCase> {};

TEST_P(CharsetDeclaration, SaysGb18030)
{
    EXPECT_EQ(DetailPage::declareGb18030(QString::fromUtf8(GetParam().html)),
              QString::fromUtf8(GetParam().expected));
}

#define ZD_META "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">"

INSTANTIATE_TEST_SUITE_P(
    Templates, CharsetDeclaration,
    ::testing::Values(
        DeclarationCase{"Gbk", "<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">\r\n</head>",
                        "<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb18030\">\r\n</head>"},
        DeclarationCase{"Gb2312InCapitals", "<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; Charset = GB2312\">",
                        "<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; Charset = gb18030\">"},
        DeclarationCase{"ShortFormQuoted", "<meta charset=\"utf-8\"><title>书目</title>",
                        "<meta charset=\"gb18030\"><title>书目</title>"},
        DeclarationCase{"ShortFormBareAndSelfClosed", "<meta charset=gbk/>", "<meta charset=gb18030/>"},
        DeclarationCase{"EveryDeclaration", "<meta charset=gbk>\n<meta\n content=\"text/html;charset=gb2312\">",
                        "<meta charset=gb18030>\n<meta\n content=\"text/html;charset=gb18030\">"},
        DeclarationCase{"AlreadyGb18030", "<meta charset=\"gb18030\">", "<meta charset=\"gb18030\">"},
        // Without a declaration: right after <head>, else <html>, else a first line. Text of the
        // page that merely mentions a charset is no declaration and stays as written.
        DeclarationCase{"AfterHead", "<html>\r\n<head lang=\"zh\"><title>x</title>\r\n<header>charset=gbk</header>",
                        "<html>\r\n<head lang=\"zh\">" ZD_META "<title>x</title>\r\n<header>charset=gbk</header>"},
        DeclarationCase{"AfterHtml", "<HTML><body>$$sm</body>", "<HTML>" ZD_META "<body>$$sm</body>"},
        DeclarationCase{"FirstLine", "$$sm\r\n", ZD_META "\r\n$$sm\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

#undef ZD_META

// Characters outside GBK: the page holds their GB18030 forms, GBK characters keep their GBK
// bytes, and the declaration of the shipped template matches.
TEST_F(DetailPageBuild, TitleOutsideGbkIsWrittenInGb18030AndDeclaredSo)
{
    const QString title = QStringLiteral("高等数学 ") + QString::fromUcs4(U"\U00020000\U0001F600");
    insertBook({{"tm", "T-EXT"}, {"sm", title}});
    tree.copyFromDist(QStringLiteral("html/book.html"));
    ASSERT_FALSE(DetailPage::build(db, QStringLiteral("T-EXT"), QString()).isEmpty());

    const QByteArray bytes = page();
    EXPECT_TRUE(bytes.contains("\xB8\xDF\xB5\xC8\xCA\xFD\xD1\xA7 \x95\x32\x82\x36\x94\x39\xFC\x36"))
        << bytes.toHex().toStdString();
    EXPECT_TRUE(bytes.contains("charset=gb18030"));
    EXPECT_FALSE(bytes.contains("charset=gbk"));
    QStringDecoder gb18030("GB18030");
    const QString text = gb18030.decode(bytes);
    EXPECT_FALSE(gb18030.hasError());
    EXPECT_TRUE(text.contains(title));
}

} // namespace
