#pragma once
// Some drivers that are loaded and unloaded at run time keep allocations for good (the SQLite
// ODBC driver does): a leak report names only an "<unknown module>", so it cannot be
// suppressed by name. Allocations made while this guard lives are not reported as leaks.
#include "address_sanitizer.h"

#if defined(ZD_ADDRESS_SANITIZER)
#include <sanitizer/lsan_interface.h>
struct ForeignLeaksIgnored {
    ForeignLeaksIgnored() { __lsan_disable(); }
    ~ForeignLeaksIgnored() { __lsan_enable(); }
};
#else
struct ForeignLeaksIgnored {};
#endif

// The embedded Firebird engine keeps its worker threads running until the process ends, and
// the leak checker can crash while it stops them: a test of it turns the final check off for
// its own process (each test runs in a process of its own).
void skipLeakCheckAtExit();
