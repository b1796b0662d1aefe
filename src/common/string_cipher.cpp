#include "common/string_cipher.h"

#include "common/app_error.h"
#include "common/gbk_codec.h"

#include <nettle/des.h>

#include <cstdint>

namespace StringCipher {
namespace {

constexpr qsizetype BlockSize = DES_BLOCK_SIZE;

// The DES key is the first 8 bytes of the key text, extended with zero bytes when shorter.
// Nettle ignores the parity bits and reports weak keys by returning 0, but sets the key anyway;
// the key is usable either way, so the return value carries no failure.
des_ctx makeContext(const QByteArray &keyText)
{
    uint8_t key[DES_KEY_SIZE] = {};
    const qsizetype n = qMin<qsizetype>(keyText.size(), DES_KEY_SIZE);
    for (qsizetype i = 0; i < n; ++i)
        key[i] = static_cast<uint8_t>(keyText.at(i));
    des_ctx ctx;
    (void)des_set_key(&ctx, key);
    return ctx;
}

const uint8_t *bytesOf(const QByteArray &data)
{
    return reinterpret_cast<const uint8_t *>(data.constData());
}

uint8_t *bytesOf(QByteArray &data)
{
    return reinterpret_cast<uint8_t *>(data.data());
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    throw AppError(QStringLiteral("Error: not a Hex String"));
}

} // namespace

QByteArray encipher(const QByteArray &clear, const QByteArray &key)
{
    if (!clear.isEmpty() && clear.back() == '\0')
        throw AppError(QStringLiteral("Error: the last char is NULL char."));
    const des_ctx ctx = makeContext(key);
    QByteArray padded = clear;
    if (const qsizetype rest = padded.size() % BlockSize)
        padded.append(BlockSize - rest, '\0');
    QByteArray out(padded.size(), '\0');
    if (!padded.isEmpty())
        des_encrypt(&ctx, size_t(padded.size()), bytesOf(out), bytesOf(padded));
    return out;
}

QByteArray decipher(const QByteArray &cipher, const QByteArray &key)
{
    const des_ctx ctx = makeContext(key);
    const qsizetype whole = cipher.size() - cipher.size() % BlockSize;
    QByteArray out(whole, '\0');
    if (whole > 0)
        des_decrypt(&ctx, size_t(whole), bytesOf(out), bytesOf(cipher));
    qsizetype end = out.size();
    while (end > 0 && out.at(end - 1) == '\0')
        --end;
    out.truncate(end);
    return out;
}

int hexToInt(const QString &digits)
{
    unsigned value = 0; // unsigned: an over-long text wraps instead of overflowing
    for (QChar c : digits)
        value = value * 16u + unsigned(hexDigit(c));
    return int(value);
}

QByteArray hexDecipher(const QString &hex, const QByteArray &key)
{
    QByteArray cipher;
    cipher.reserve(hex.size() / 2);
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2)
        cipher.append(char(hexToInt(hex.mid(i, 2))));
    return decipher(cipher, key);
}

QString toHex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString encipherPassword(const QString &clear)
{
    return toHex(encipher(Gbk::encode(clear), QByteArray(ConfigKey)));
}

QString decipherPassword(const QString &hex)
{
    return Gbk::decode(hexDecipher(hex, QByteArray(ConfigKey)));
}

} // namespace StringCipher
