#pragma once
// Several desks (processes, perhaps on several computers) sharing one SQLite database file.
//
// - Journal: on a local file system the file runs in write-ahead logging, so readers never
//   block the writer and the writer never blocks readers. WAL keeps its index in shared memory,
//   which only works between processes of one host: on a network share (NFS, SMB/CIFS, FUSE and
//   other file systems not known to be local) the file keeps the rollback journal.
// - Turns: a write transaction first takes its turn at the sidecar file "<database>-desk.lock"
//   and only then takes SQLite's write lock (BEGIN IMMEDIATE); it gives the turn back after
//   COMMIT or ROLLBACK. Waiting desks pass a gate one at a time, and the desk that just wrote
//   must pass the gate again behind the ones already waiting, so no desk starves. The wait is
//   bounded: a desk that does not get its turn in time gives up with BusyError. The sidecar
//   file is made 0664 under the user's umask, group-writable when the database is, and never
//   writable by everybody.
#include <QSqlDatabase>
#include <QString>

namespace SqliteDesks {

// Whether the file system holding path (a file, or the folder it would be created in) is one
// of the local kinds on which SQLite's shared-memory index works.
bool isLocalFileSystem(const QString &path);

// The journal mode the file at path should run in: "wal" on a local file system that can be
// written, else "delete".
QString wantedJournalMode(const QString &path);

// Puts the open connection's file into wantedJournalMode() and returns the mode in force
// (lower case). A change that cannot be made (another desk has the file open in the other
// mode) leaves the mode as it is.
QString applyJournalMode(const QSqlDatabase &db);

// The sidecar lock file of a database file.
QString turnFilePath(const QString &databasePath);

// One desk's turn to write. Taking it waits at most limitMs; the turn is held until release()
// or destruction. A database whose sidecar file cannot be opened (a read-only folder, a
// database in memory) has no turns: take() then succeeds at once and SQLite's own busy wait
// is all there is.
class WriteTurn {
public:
    WriteTurn() = default;
    ~WriteTurn() { release(); }
    WriteTurn(const WriteTurn &) = delete;
    WriteTurn &operator=(const WriteTurn &) = delete;

    // Returns false when the turn did not come within limitMs; *waitedMs gets how long it waited.
    bool take(const QString &databasePath, int limitMs, qint64 *waitedMs = nullptr);
    void release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace SqliteDesks
