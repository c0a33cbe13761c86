// QUENBY_ASAN is 1 when this is compiled with AddressSanitizer (gcc or clang):
// the node storage then keeps to small regions the sanitizer can watch.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENBY_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(QUENBY_ASAN)
#define QUENBY_ASAN 1
#endif
