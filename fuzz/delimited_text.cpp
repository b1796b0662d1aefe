// The delimited-text routines over any text: the first character of the input is the
// separator (NUL for the empty one), the rest the list; the routines must agree with each
// other on the pieces.
#include "fuzz_support.h"

#include "common/delimited_text.h"

#include <QStringList>

namespace DT = DelimitedText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(Fuzz::bytes(data, size));
    if (input.isEmpty())
        return 0;
    const QChar sep = input.at(0);
    const QString text = input.mid(1);

    const int n = DT::count(text, sep);
    if (sep.isNull() || text.isEmpty()) {
        FUZZ_CHECK(n == 0);
        FUZZ_CHECK(DT::head(text, sep).isEmpty() && DT::last(text, sep).isEmpty());
        return 0;
    }
    FUZZ_CHECK(n >= 1);

    // The pieces put back together give the list without one separator at its end.
    QStringList pieces;
    for (int i = 1; i <= n; ++i) {
        const QString p = DT::piece(text, i, sep);
        FUZZ_CHECK(!p.contains(sep));
        pieces << p;
        const int at = DT::position(text, p, sep);
        FUZZ_CHECK(p.isEmpty() ? at == 0 : (at >= 1 && at <= i && DT::piece(text, at, sep) == p));
    }
    const QString joined = pieces.join(sep);
    FUZZ_CHECK(joined == text || joined + sep == text);
    FUZZ_CHECK(DT::piece(text, 0, sep).isEmpty() && DT::piece(text, n + 1, sep).isEmpty());
    FUZZ_CHECK(DT::head(text, sep) == pieces.first());
    FUZZ_CHECK(DT::last(text, sep) == pieces.last());

    // Changes at every place (and one past either end) keep the list well formed.
    const QString item = QString(sep) == QStringLiteral("新") || QString(sep) == QStringLiteral("项")
                             ? QStringLiteral("x")
                             : QStringLiteral("新项");
    for (int i = 0; i <= n + 2; ++i) {
        QString inserted = text;
        DT::insert(inserted, item, i, sep);
        if (i >= 1 && i <= n) {
            FUZZ_CHECK(DT::count(inserted, sep) == n + 1);
            FUZZ_CHECK(DT::piece(inserted, i, sep) == item);
        } else if (i < 1 || i > n + 1) {
            FUZZ_CHECK(inserted == text);
        }

        QString removed = text;
        DT::remove(removed, i, sep);
        if (i >= 1 && i <= n) {
            QStringList rest = pieces;
            rest.removeAt(i - 1);
            FUZZ_CHECK(removed == rest.join(sep));
        } else {
            FUZZ_CHECK(removed == text);
        }
    }
    QString shorter = text;
    DT::removeLast(shorter, sep);
    FUZZ_CHECK(text.startsWith(shorter) && shorter.size() < text.size());
    QString longer = text;
    DT::append(longer, item, sep);
    FUZZ_CHECK(longer == text + sep + item && DT::last(longer, sep) == item);
    return 0;
}
