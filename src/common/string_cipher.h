#pragma once
// The stored-password cipher: DES in ECB mode under a fixed key text, with zero-byte framing
// and a hexadecimal written form. Texts are GBK bytes.
#include <QByteArray>
#include <QString>

namespace StringCipher {

// The fixed key text every caller uses (only its first 8 bytes form the DES key).
inline constexpr char ConfigKey[] = "5$#8%2KORVAN4*1)Mesh 731";

// Pads with zero bytes to whole 8-byte blocks and enciphers each block.
// Throws AppError("Error: the last char is NULL char.") when clear ends in a zero byte.
QByteArray encipher(const QByteArray &clear, const QByteArray &key);
// Deciphers whole blocks (a short tail is ignored) and removes trailing zero bytes.
QByteArray decipher(const QByteArray &cipher, const QByteArray &key);
// Reads pairs of hex digits (an odd last digit is ignored) and deciphers them.
// Throws AppError("Error: not a Hex String") for a character that is not a hex digit.
QByteArray hexDecipher(const QString &hex, const QByteArray &key);
// The value of a text of hexadecimal digits; throws as hexDecipher does.
int hexToInt(const QString &digits);
// Upper-case hexadecimal form of bytes, two digits a byte.
QString toHex(const QByteArray &bytes);

// The configuration file's sPwd form of a clear text and back (GBK, ConfigKey).
QString encipherPassword(const QString &clear);
QString decipherPassword(const QString &hex);

} // namespace StringCipher
