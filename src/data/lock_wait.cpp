#include "data/lock_wait.h"

#include <QSqlDriver>
#include <QVariant>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

#include <dlfcn.h>

namespace Sql {
namespace {

// fb_cancel_operation of the Firebird client library that Qt's driver has loaded.
using IscStatus = std::intptr_t;
using FbHandle = unsigned int;   // isc_db_handle (FB_API_HANDLE) of Firebird 3's client
using CancelOperation = IscStatus (*)(IscStatus *status, FbHandle *db, unsigned short option);
constexpr unsigned short FbCancelRaise = 3;

CancelOperation cancelOperation()
{
    static const CancelOperation function = []() -> CancelOperation {
        void *library = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_NOLOAD);
        if (!library)
            library = dlopen("libfbclient.so.2", RTLD_NOW);
        return library ? reinterpret_cast<CancelOperation>(dlsym(library, "fb_cancel_operation")) : nullptr;
    }();
    return function;
}

using Clock = std::chrono::steady_clock;

// One thread for the whole process watches the bounded statements and cancels those that
// outlive their deadline; it starts with the first statement it is given.
class Watch {
public:
    static Watch &instance()
    {
        static Watch *watch = new Watch;   // lives to the end: its thread never joins
        return *watch;
    }

    std::uint64_t add(FbHandle handle)
    {
        std::lock_guard lock(m_mutex);
        const std::uint64_t ticket = ++m_lastTicket;
        m_watched.emplace(ticket, Entry{Clock::now() + std::chrono::milliseconds(LockWaitLimitMs), handle});
        if (!m_started) {
            std::thread([this] { run(); }).detach();
            m_started = true;
        }
        m_changed.notify_one();
        return ticket;
    }

    void remove(std::uint64_t ticket)
    {
        std::lock_guard lock(m_mutex);
        m_watched.erase(ticket);
    }

private:
    struct Entry {
        Clock::time_point deadline;
        FbHandle handle;
    };

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_watched.empty()) {
                m_changed.wait(lock);
                continue;
            }
            auto first = m_watched.begin();   // tickets grow with their deadlines
            const Clock::time_point deadline = first->second.deadline;   // the entry may go while waiting
            if (Clock::now() < deadline) {
                m_changed.wait_until(lock, deadline);
                continue;
            }
            // Cancelled while it is still watched, so while its statement has not returned.
            FbHandle handle = first->second.handle;
            m_watched.erase(first);
            if (const CancelOperation cancel = cancelOperation()) {
                IscStatus status[20] = {};
                cancel(status, &handle, FbCancelRaise);
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::uint64_t, Entry> m_watched;
    std::uint64_t m_lastTicket = 0;
    bool m_started = false;
};

} // namespace

bool mayWaitForLock(const QString &statement)
{
    const QString text = statement.trimmed();
    if (!text.startsWith(QLatin1String("select"), Qt::CaseInsensitive))
        return true;
    return text.contains(QLatin1String("with lock"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("for update"), Qt::CaseInsensitive);
}

LockWaitBound::LockWaitBound(const QSqlDatabase &db, bool needed)
{
    if (!needed || db.driverName() != u"QIBASE" || !db.driver())
        return;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != int(sizeof(FbHandle)))
        return;
    m_ticket = Watch::instance().add(*static_cast<const FbHandle *>(handle.constData()));
}

LockWaitBound::~LockWaitBound()
{
    if (m_ticket != 0)
        Watch::instance().remove(m_ticket);
}

} // namespace Sql
