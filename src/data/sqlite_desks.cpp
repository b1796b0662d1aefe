#include "data/sqlite_desks.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace SqliteDesks {
namespace {

// File systems whose files live on this host's own disks or memory (statfs f_type). Anything
// else (NFS, SMB/CIFS, FUSE, cluster and unknown file systems) counts as shared over a network.
constexpr unsigned long LocalKinds[] = {
    0xEF53,       // ext2, ext3, ext4
    0x58465342,   // xfs
    0x9123683E,   // btrfs
    0x01021994,   // tmpfs
    0x858458F6,   // ramfs
    0xF2F52010,   // f2fs
    0x52654973,   // reiserfs
    0x3153464A,   // jfs
    0x2FC12FC1,   // zfs
    0xCA451A4E,   // bcachefs
    0x794C7630,   // overlayfs (containers)
    0x3434,       // nilfs
    0x4D44,       // vfat / msdos
    0x2011BAB0,   // exfat
    0x7366746E,   // ntfs3 (the kernel's own driver)
};

// The file itself, or the nearest folder that exists on the way up to it.
QString existingPathFor(const QString &path)
{
    QFileInfo info(path);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            break;
        info = QFileInfo(parent);
    }
    return info.absoluteFilePath();
}

bool isFilePath(const QString &databaseName)
{
    return !databaseName.isEmpty() && databaseName != u":memory:"
           && !databaseName.startsWith(QStringLiteral("file:"));
}

bool lockByte(int fd, off_t byte, bool lock)
{
    struct flock fl = {};
    fl.l_type = lock ? F_WRLCK : F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    fl.l_pid = 0;   // required by open-file-description locks
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_SETLK, &fl);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

enum class Wait { Got, TimedOut, NoLocks };

// Waits for one byte of the turn file until the deadline, looking again every millisecond.
Wait waitForByte(int fd, off_t byte, const QDeadlineTimer &deadline)
{
    for (;;) {
        if (lockByte(fd, byte, true))
            return Wait::Got;
        if (errno != EAGAIN && errno != EACCES)
            return Wait::NoLocks;   // a file system without such locks
        if (deadline.hasExpired())
            return Wait::TimedOut;
        QThread::usleep(1000);
    }
}

// Byte 0 is the gate, byte 1 the turn: a desk holds the gate only while it waits for the turn,
// so at most one desk ever waits for the turn, and a desk that has just written queues at the
// gate behind those already there instead of taking the turn again at once.
constexpr off_t GateByte = 0;
constexpr off_t TurnByte = 1;

} // namespace

bool isLocalFileSystem(const QString &path)
{
    struct statfs info = {};
    const QByteArray native = QFile::encodeName(existingPathFor(path));
    if (::statfs(native.constData(), &info) != 0)
        return false;
    const auto kind = static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFUL;
    for (unsigned long local : LocalKinds)
        if (kind == local)
            return true;
    return false;
}

QString wantedJournalMode(const QString &path)
{
    if (!isLocalFileSystem(path))
        return QStringLiteral("delete");
    // The log and its index are files beside the database: their folder must take new files.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return QStringLiteral("delete");
    return QStringLiteral("wal");
}

QString applyJournalMode(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    QString current;
    if (q.exec(QStringLiteral("PRAGMA journal_mode")) && q.next())
        current = q.value(0).toString().toLower();
    q.finish();
    const QString path = db.databaseName();
    if (!isFilePath(path) || db.connectOptions().contains(QStringLiteral("QSQLITE_OPEN_READONLY")))
        return current;
    const QString wanted = wantedJournalMode(path);
    if (current == wanted)
        return current;
    if (q.exec(QStringLiteral("PRAGMA journal_mode=") + wanted) && q.next())
        current = q.value(0).toString().toLower();
    return current;
}

QString turnFilePath(const QString &databasePath)
{
    return databasePath + QStringLiteral("-desk.lock");
}

bool WriteTurn::take(const QString &databasePath, int limitMs, qint64 *waitedMs)
{
    release();
    if (waitedMs)
        *waitedMs = 0;
    if (!isFilePath(databasePath))
        return true;
    const QString database = QFileInfo(databasePath).absoluteFilePath();
    const QByteArray native = QFile::encodeName(turnFilePath(database));
    // Read and write for the owner, read for the others, and write for the group as far as
    // the user's umask allows (002 on a desk shared by a group, 022 elsewhere).
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0664);
    if (fd < 0)
        return true;   // no sidecar file here (or not ours to write): SQLite's busy wait alone
    // Whoever may write the database may queue here: the file is group-writable when the
    // database is, and never writable by everybody (a file left so by an older version is
    // mended by its owner).
    struct stat st = {}, dbst = {};
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid()) {
        mode_t wanted = st.st_mode & 0777 & ~mode_t(S_IWOTH);
        if (::stat(QFile::encodeName(database).constData(), &dbst) == 0 && (dbst.st_mode & S_IWGRP))
            wanted |= S_IWGRP;
        if (wanted != (st.st_mode & 0777))
            (void)::fchmod(fd, wanted);
    }
    const QDeadlineTimer deadline(qMax(0, limitMs));
    QElapsedTimer waited;
    waited.start();
    Wait wait = waitForByte(fd, GateByte, deadline);
    if (wait == Wait::Got) {
        wait = waitForByte(fd, TurnByte, deadline);
        lockByte(fd, GateByte, false);
    }
    if (waitedMs)
        *waitedMs = waited.elapsed();
    if (wait != Wait::Got) {
        ::close(fd);
        return wait == Wait::NoLocks;
    }
    m_fd = fd;
    return true;
}

void WriteTurn::release()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);   // closing the description drops its locks
    m_fd = -1;
}

} // namespace SqliteDesks
