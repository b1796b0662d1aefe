#pragma once
// ZD_ADDRESS_SANITIZER is defined when the program is built with AddressSanitizer: gcc tells of
// it with __SANITIZE_ADDRESS__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define ZD_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZD_ADDRESS_SANITIZER 1
#endif
#endif
