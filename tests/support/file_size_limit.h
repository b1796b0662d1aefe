#pragma once
// A full disk for the files this process writes while it lives: the system refuses (EFBIG) to
// let any file grow past the given size, so a write fails after it started. Works for the
// administrator too, which no permission does. The limit and the signal it would raise are put
// back when it goes.
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_ok = ::getrlimit(RLIMIT_FSIZE, &m_before) == 0;
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = m_before;
        lower.rlim_cur = bytes;
        m_ok = m_ok && ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool ok() const { return m_ok; }

private:
    rlimit m_before{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_ok = false;
};
