#include "platform/hugepages.h"

#include <cstdint>
#include <sys/mman.h>

namespace hugepages {

void advise(void *block, std::size_t size)
{
    const auto first = std::uintptr_t(block);
    const std::uintptr_t start = (first + Size - 1) & ~(Size - 1);
    const std::uintptr_t end = (first + size) & ~(Size - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}

}
