#pragma once
// The sanitizers' settings for every test program, built in so that a test behaves the same
// whether ctest, a developer or a debugger starts it. Included by each program's main file once.
//
// intercept_tls_get_addr=0: the leak checker's own record of the thread storage of libraries
// loaded at run time (Qt's plug-ins and what they load) goes stale with Debian 12's C library,
// and the final check then crashes reading it. Without the record that storage is simply not
// searched for pointers.
#include "address_sanitizer.h"

#if defined(ZD_ADDRESS_SANITIZER)
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0:intercept_tls_get_addr=0";
}
extern "C" const char *__lsan_default_options()
{
    return "suppressions=" ZD_SOURCE_DIR "/tests/lsan.supp:print_suppressions=0";
}
extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
#endif
