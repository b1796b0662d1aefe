// The configuration reader over any file: syscfg.dbm is written by hand, in GBK or UTF-8.
#include "fuzz_support.h"

#include "common/gbk_codec.h"
#include "common/ini_reader.h"

namespace {

struct Query {
    const char *section;
    const char *key;
};

// What the program asks of its configuration file.
constexpr Query Queries[] = {
    {"All", "sDbType"}, {"All", "apptitle"}, {"Oledb40", "sPwd"}, {"Fb", "sUid"},
    {"Fb", "sServer"}, {"ALL", "sGetRelation"}, {"ALL", "dgsl"}, {"ALL", "sNoShowFieldList"},
    {"ALL", "ShowDetailYoN"}, {"FrmQuery", "ShowDetailYoN"}, {"MENU", "N1"}, {"MENU", "115"},
    {"MENU", "TbGuide"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = Fuzz::inputFile(QStringLiteral("syscfg.dbm"), data, size);
    const QString absent = QStringLiteral("\x01absent");
    for (const Query &q : Queries) {
        const QString value = Ini::readValue(path, QString::fromLatin1(q.section),
                                             QString::fromLatin1(q.key), absent);
        if (value == absent)
            continue;
        // One line of the file, cut to its first 99 bytes in the file's encoding.
        FUZZ_CHECK(!value.contains(u'\n'));
        FUZZ_CHECK(value.toUtf8().size() <= Ini::MaxValueBytes
                   || Gbk::encode(value).size() <= Ini::MaxValueBytes);
    }
    // A key holding "=" can never be found: everything before the first "=" is the key.
    FUZZ_CHECK(Ini::readValue(path, QStringLiteral("All"), QStringLiteral("a=b"), absent)
               == absent);
    // A missing file gives the default.
    FUZZ_CHECK(Ini::readValue(path + QStringLiteral(".none"), QStringLiteral("All"),
                              QStringLiteral("sDbType"), absent)
               == absent);
    return 0;
}
