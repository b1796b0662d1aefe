// The password cipher: the hexadecimal sPwd of the configuration file is read as written by
// hand, and every text that enciphers deciphers back to itself.
#include "fuzz_support.h"

#include "common/app_error.h"
#include "common/string_cipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    const QByteArray key(StringCipher::ConfigKey);

    // The configuration file's sPwd as it stands in the file.
    try {
        const QByteArray clear = StringCipher::hexDecipher(QString::fromLatin1(input), key);
        FUZZ_CHECK(clear.isEmpty() || clear.back() != '\0');
    } catch (const AppError &) {
        // not a hexadecimal text
    }
    try {
        (void)StringCipher::decipherPassword(QString::fromUtf8(input));
    } catch (const AppError &) {
    }

    // Raw bytes under the fixed key and under a key taken from the input.
    const QByteArray ownKey = input.left(8);
    for (const QByteArray &k : {key, ownKey}) {
        if (!input.isEmpty() && input.back() == '\0') {
            bool refused = false;
            try {
                (void)StringCipher::encipher(input, k);
            } catch (const AppError &) {
                refused = true;
            }
            FUZZ_CHECK(refused);
            continue;
        }
        const QByteArray cipher = StringCipher::encipher(input, k);
        FUZZ_CHECK(cipher.size() % 8 == 0 && cipher.size() >= input.size()
                   && cipher.size() < input.size() + 8);
        FUZZ_CHECK(StringCipher::decipher(cipher, k) == input);
        const QString hex = StringCipher::toHex(cipher);
        FUZZ_CHECK(hex.size() == 2 * cipher.size());
        FUZZ_CHECK(StringCipher::hexDecipher(hex, k) == input);
        FUZZ_CHECK(StringCipher::hexDecipher(hex.toLower(), k) == input);
    }

    // A password typed by the user (any text) comes back as it was typed.
    const QString typed = QString::fromUtf8(input);
    if (!typed.endsWith(QChar(0))) {
        const QString stored = StringCipher::encipherPassword(typed);
        FUZZ_CHECK(StringCipher::decipherPassword(stored) == typed);
    }
    return 0;
}
