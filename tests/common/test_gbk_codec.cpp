#include "common/gbk_codec.h"

#include <gtest/gtest.h>

namespace {

TEST(GbkCodec, EncodesGbkCharactersAsGbkAndLosesNothingElse)
{
    struct Case { QString text; QByteArray bytes; };
    const QList<Case> cases = {
        {QStringLiteral("ABC"), QByteArray("ABC")},
        {QStringLiteral("书名"), QByteArray("\xCA\xE9\xC3\xFB")},
        {QStringLiteral("估定价\t12.5\r\n"), QByteArray("\xB9\xC0\xB6\xA8\xBC\xDB\t12.5\r\n")},
        // Outside GBK: GB18030's four-byte forms keep the character.
        {QString::fromUcs4(U"\U00020000"), QByteArray("\x95\x32\x82\x36")},
        {QString::fromUcs4(U"\U0001F600"), QByteArray("\x94\x39\xFC\x36")},
        // The euro sign, which GBK proper lacks, has a two-byte GB18030 form.
        {QStringLiteral("\u20AC"), QByteArray("\xA2\xE3")},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Gbk::encode(c.text), c.bytes) << c.text.toStdString();
        EXPECT_EQ(Gbk::decode(c.bytes), c.text);
    }
}

TEST(GbkCodec, LoneSurrogateSpoilsOnlyItself)
{
    QString text = QStringLiteral("书名");
    text.insert(1, QChar(0xD800));
    const QByteArray bytes = Gbk::encode(text);
    EXPECT_TRUE(bytes.startsWith("\xCA\xE9"));
    EXPECT_TRUE(bytes.endsWith("\xC3\xFB"));
    EXPECT_EQ(Gbk::decode(bytes), QStringLiteral("书\uFFFD名"));
}

} // namespace
