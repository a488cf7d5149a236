#pragma once

// Where the program's own vector code is built: on x86-64 (SSE2, and AVX2 where the processor
// has it), unless TANSY_PORTABLE (cmake -DTANSY_PORTABLE=ON, which make check-portable tests)
// asks for the portable paths that every other processor takes.
#if defined(__x86_64__) && !defined(TANSY_PORTABLE)
#define TANSY_X86_VECTORS 1
#include <immintrin.h>
#endif
