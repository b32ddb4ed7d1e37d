#include "env/Heap.h"

#include <cstdlib> // says whether the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

// An address sanitizer brings its own allocator: glibc's, which these
// calls work on, is then never set up.
#if defined(__SANITIZE_ADDRESS__)
#define FLDCMPR_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FLDCMPR_OWN_ALLOCATOR 1
#endif
#endif

#if defined(__GLIBC__) && !defined(FLDCMPR_OWN_ALLOCATOR)
void ReturnFreedMemory() { malloc_trim(0); }

// A free end of more than 1 MiB goes back while one lives; otherwise only
// one of 64 MiB, as glibc's own bound at most grows to.
HeapsGiveBackOnFree::HeapsGiveBackOnFree() { mallopt(M_TRIM_THRESHOLD, 1 << 20); }
HeapsGiveBackOnFree::~HeapsGiveBackOnFree() { mallopt(M_TRIM_THRESHOLD, 64 << 20); }
#else
void ReturnFreedMemory() {}
HeapsGiveBackOnFree::HeapsGiveBackOnFree() = default;
HeapsGiveBackOnFree::~HeapsGiveBackOnFree() = default;
#endif
