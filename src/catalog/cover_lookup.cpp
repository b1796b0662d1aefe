#include "catalog/cover_lookup.h"

#include "common/program_paths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace CoverLookup {
namespace {

QString withoutTrailingBlanks(const QString &name)
{
    qsizetype end = name.size();
    while (end > 0 && name.at(end - 1).isSpace())
        --end;
    return name.left(end);
}

QString matchKey(const QString &name)
{
    return withoutTrailingBlanks(name).toCaseFolded();
}

// One folder's files by match key, as read at the folder's change stamp.
struct Listing {
    qint64 stamp = -1;
    qint64 listedAt = 0;
    QHash<QString, QString> byKey;
};

// File systems keep change times in coarse steps: a listing read within this many
// milliseconds of the folder's last change may miss a file added in the same step, so it is
// not kept.
constexpr qint64 SettleMs = 100;

qint64 changeStamp(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return -1;
    // Adding, removing or renaming a file changes the folder's modification time.
    return info.lastModified().toMSecsSinceEpoch();
}

QString findInListing(const QString &folderPath, const QString &key)
{
    static QMutex mutex;
    static QHash<QString, Listing> listings;
    const QMutexLocker lock(&mutex);
    const qint64 stamp = changeStamp(folderPath);
    Listing &listing = listings[folderPath];
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (listing.stamp != stamp || stamp < 0 || listing.listedAt - stamp < SettleMs) {
        listing.stamp = stamp;
        listing.listedAt = now;
        listing.byKey.clear();
        // Sorted by name, so that of two names that differ only in case the first one wins
        // whatever order the file system lists them in.
        const QStringList names =
            QDir(folderPath).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QString &name : names) {
            const QString k = matchKey(name);
            if (!listing.byKey.contains(k))
                listing.byKey.insert(k, name);
        }
    }
    return listing.byKey.value(key);
}

} // namespace

QString folder(Size size)
{
    return ProgramPaths::resolve(size == Size::Small ? QStringLiteral("../bookimages/")
                                                     : QStringLiteral("../bookimages/big/"));
}

QString fileName(const QString &fmtp, Size size)
{
    if (fmtp.isEmpty())
        return QString();
    const QString dir = folder(size);
    // A folder of that name is not a picture.
    if (QFileInfo(dir + fmtp).isFile())
        return fmtp;
    const QString trimmed = withoutTrailingBlanks(fmtp);
    if (trimmed.isEmpty())
        return QString();
    if (trimmed.size() != fmtp.size() && QFileInfo(dir + trimmed).isFile())
        return trimmed;
    const QString key = trimmed.toCaseFolded();
    const QString found = findInListing(dir, key);
    // The listing may be older than the file system's last change within the same moment.
    return !found.isEmpty() && QFileInfo(dir + found).isFile() ? found : QString();
}

bool hasPicture(const QString &fmtp, Size size)
{
    return !fileName(fmtp, size).isEmpty();
}

QString picturePath(const QString &fmtp, Size size)
{
    const QString name = fileName(fmtp, size);
    return name.isEmpty() ? fallbackPath(size) : folder(size) + name;
}

QString fallbackPath(Size size)
{
    return folder(size) + QStringLiteral("nocover.bmp");
}

} // namespace CoverLookup
