#pragma once
// What every fuzz target shares: a scratch folder of its own for the files it feeds to a
// reader, and a check that stops the run with a message when an invariant does not hold.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

// The scratch folder, made once under the system's temporary folder (TMPDIR) and removed
// when the run ends normally. Targets write nowhere else.
inline const QString &scratchFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/zd-fuzz-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder under %s\n",
                     qPrintable(QDir::tempPath()));
        std::abort();
    }
    static const QString path = folder.path();
    return path;
}

// Writes the input as the file name in the scratch folder and returns its path.
inline QString inputFile(const QString &name, const uint8_t *data, size_t size)
{
    const QString path = scratchFolder() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

[[noreturn]] inline void failed(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, what);
    std::abort();
}

} // namespace Fuzz

// Stops the run (libFuzzer keeps the input as a crash file) when cond is false.
#define FUZZ_CHECK(cond)                                                                 \
    do {                                                                                 \
        if (!(cond))                                                                     \
            Fuzz::failed(#cond, __FILE__, __LINE__);                                     \
    } while (false)
