#include "common/app_error.h"
#include "common/gbk_codec.h"
#include "common/string_cipher.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

using namespace StringCipher;

const QByteArray Key(ConfigKey);

std::string hexOf(const QByteArray &bytes)
{
    return bytes.toHex().toStdString();
}

QByteArray zeroPadded(QByteArray clear)
{
    if (const qsizetype rest = clear.size() % 8)
        clear.append(8 - rest, '\0');
    return clear;
}

// The DES key as OpenSSL takes it: the first 8 key bytes, zero-extended, in hexadecimal.
QByteArray opensslKey(const QByteArray &keyText)
{
    QByteArray key = keyText.left(8);
    key.append(8 - key.size(), '\0');
    return key.toHex();
}

// Runs OpenSSL's DES-ECB without padding on input. Fails the test when OpenSSL cannot run
// or lacks DES (the legacy provider).
void runOpenssl(const QByteArray &input, const QByteArray &keyText, bool decrypt,
                QByteArray *output)
{
    QStringList args{QStringLiteral("enc"), QStringLiteral("-des-ecb"), QStringLiteral("-nopad"),
                     QStringLiteral("-K"), QString::fromLatin1(opensslKey(keyText))};
    if (decrypt)
        args << QStringLiteral("-d");
    args << QStringLiteral("-provider") << QStringLiteral("legacy") << QStringLiteral("-provider")
         << QStringLiteral("default");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"), args);
    ASSERT_TRUE(openssl.waitForStarted()) << "openssl cannot be started";
    openssl.write(input);
    openssl.closeWriteChannel();
    ASSERT_TRUE(openssl.waitForFinished(30000));
    ASSERT_EQ(openssl.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    *output = openssl.readAllStandardOutput();
}

struct FramingCase {
    const char *name;
    QByteArray clear;
    qsizetype cipherSize;
};

TEST(StringCipher, FramingRoundTrips)
{
    const FramingCase cases[] = {
        {"empty", QByteArray(), 0},
        {"1 byte", QByteArray("a"), 8},
        {"8 bytes", QByteArray("abcdefgh"), 8},
        {"9 bytes", QByteArray("abcdefghi"), 16},
        {"two Chinese characters", Gbk::encode(QStringLiteral("征订")), 8},
        {"zero byte inside", QByteArray("ab\0cd", 5), 8},
        {"zero bytes ending a block", QByteArray("abcdef\0\0xy", 10), 16},
        {"24 bytes", QByteArray(ConfigKey), 24},
    };
    for (const FramingCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray cipher = encipher(c.clear, Key);
        EXPECT_EQ(cipher.size(), c.cipherSize);
        EXPECT_EQ(hexOf(decipher(cipher, Key)), hexOf(c.clear));
        EXPECT_EQ(hexOf(hexDecipher(toHex(cipher), Key)), hexOf(c.clear));
    }
    EXPECT_EQ(Gbk::encode(QStringLiteral("征订")).size(), 4);
}

TEST(StringCipher, OnlyTheFirstEightKeyBytesCount)
{
    const QByteArray clear("password");
    EXPECT_EQ(hexOf(encipher(clear, Key)), hexOf(encipher(clear, "5$#8%2KO")));
    EXPECT_EQ(hexOf(encipher(clear, Key)), hexOf(encipher(clear, "5$#8%2KOanything else")));
    EXPECT_NE(hexOf(encipher(clear, Key)), hexOf(encipher(clear, "5$#8%2KP")));
    // A short key text is extended with zero bytes.
    EXPECT_EQ(hexOf(encipher(clear, "abc")), hexOf(encipher(clear, QByteArray("abc\0\0\0\0\0", 8))));
    EXPECT_NE(hexOf(encipher(clear, "abc")), hexOf(encipher(clear, "abd")));
}

TEST(StringCipher, HexadecimalForm)
{
    const QByteArray clear = Gbk::encode(QStringLiteral("口令pw9"));
    const QString upper = toHex(encipher(clear, Key));
    ASSERT_EQ(upper, upper.toUpper());
    ASSERT_EQ(upper.size(), 16);

    struct HexCase {
        const char *name;
        QString hex;
    };
    const HexCase cases[] = {
        {"upper case", upper},
        {"lower case", upper.toLower()},
        {"odd length", upper + u'7'},
        {"odd length, last not a digit", upper + u'G'},
    };
    for (const HexCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hexOf(hexDecipher(c.hex, Key)), hexOf(clear));
    }
    EXPECT_TRUE(hexDecipher(QString(), Key).isEmpty());
    EXPECT_TRUE(hexDecipher(QStringLiteral("A"), Key).isEmpty());

    EXPECT_EQ(toHex(QByteArray("\x00\x0f\xab\xff", 4)).toStdString(), "000FABFF");
    EXPECT_TRUE(toHex(QByteArray()).isEmpty());
}

TEST(StringCipher, HexToInt)
{
    const std::pair<const char *, int> cases[] = {
        {"", 0}, {"0", 0}, {"9", 9}, {"a", 10}, {"F", 15}, {"ff", 255},
        {"FF", 255}, {"7a", 122}, {"A7", 167}, {"100", 256}, {"0010", 16},
    };
    for (const auto &[digits, value] : cases) {
        SCOPED_TRACE(digits);
        EXPECT_EQ(hexToInt(QString::fromLatin1(digits)), value);
    }
}

TEST(StringCipher, ShortTailOfRawCipherIsIgnored)
{
    const QByteArray twoBlocks = encipher("abcdefghXYZ", Key);
    ASSERT_EQ(twoBlocks.size(), 16);
    EXPECT_EQ(decipher(twoBlocks.left(12), Key).toStdString(), "abcdefgh");
    EXPECT_TRUE(decipher(twoBlocks.left(7), Key).isEmpty());
}

template <typename F>
std::string errorText(F &&f)
{
    try {
        f();
    } catch (const AppError &e) {
        return e.text().toStdString();
    }
    return "no error";
}

TEST(StringCipher, Errors)
{
    EXPECT_EQ(errorText([] { encipher(QByteArray("ab\0", 3), Key); }),
              "Error: the last char is NULL char.");
    EXPECT_EQ(errorText([] { encipher(QByteArray(1, '\0'), Key); }),
              "Error: the last char is NULL char.");
    const char *badHex[] = {"0G", "G0", "0123456789ABCDEx", " 1", "-1", "０1"};
    for (const char *hex : badHex) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(errorText([&] { hexDecipher(QString::fromUtf8(hex), Key); }),
                  "Error: not a Hex String");
    }
    EXPECT_EQ(errorText([] { hexToInt(QStringLiteral("1x")); }), "Error: not a Hex String");
}

// OpenSSL's DES is the independent peer: what one side enciphers the other deciphers.
TEST(StringCipher, AgreesWithOpenssl)
{
    struct PeerCase {
        const char *name;
        QByteArray clear;
        QByteArray key;
    };
    const PeerCase cases[] = {
        {"1 byte", QByteArray("a"), Key},
        {"8 bytes", QByteArray("abcdefgh"), Key},
        {"9 bytes", QByteArray("abcdefghi"), Key},
        {"repeated block", QByteArray("1234567812345678"), Key},
        {"Chinese", Gbk::encode(QStringLiteral("数据库口令")), Key},
        {"short key", QByteArray("secret"), QByteArray("k1")},
        {"high key bytes", QByteArray("\x01\x80\xfe text", 8), QByteArray("\xff\xfe\x80\x7f\x01\x00\x10\xee", 8)},
    };
    for (const PeerCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray padded = zeroPadded(c.clear);

        const QByteArray ours = encipher(c.clear, c.key);
        QByteArray theirClear;
        ASSERT_NO_FATAL_FAILURE(runOpenssl(ours, c.key, true, &theirClear));
        EXPECT_EQ(hexOf(theirClear), hexOf(padded));

        QByteArray theirs;
        ASSERT_NO_FATAL_FAILURE(runOpenssl(padded, c.key, false, &theirs));
        EXPECT_EQ(hexOf(theirs), hexOf(ours));
        EXPECT_EQ(hexOf(decipher(theirs, c.key)), hexOf(c.clear));
    }
}

TEST(StringCipher, ParityBitsOfTheKeyDoNotMatter)
{
    QByteArray flipped = Key.left(8);
    for (char &b : flipped)
        b = char(b ^ 0x01);
    const QByteArray clear("parity!");
    EXPECT_EQ(hexOf(encipher(clear, flipped)), hexOf(encipher(clear, Key)));
}

TEST(StringCipher, PasswordForm)
{
    const QString password = QStringLiteral("征订pw#1");
    const QString hex = encipherPassword(password);
    EXPECT_EQ(hex, hex.toUpper());
    EXPECT_EQ(decipherPassword(hex).toStdString(), password.toStdString());
    EXPECT_EQ(decipherPassword(hex.toLower()).toStdString(), password.toStdString());

    // The stored form is GBK under the configuration key, as OpenSSL reads it.
    QByteArray clear;
    ASSERT_NO_FATAL_FAILURE(
        runOpenssl(QByteArray::fromHex(hex.toLatin1()), Key, true, &clear));
    EXPECT_EQ(hexOf(clear), hexOf(zeroPadded(Gbk::encode(password))));

    EXPECT_TRUE(encipherPassword(QString()).isEmpty());
    EXPECT_TRUE(decipherPassword(QString()).isEmpty());
}

} // namespace
