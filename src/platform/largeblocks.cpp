// The program's allocation functions, in place of the standard library's: the same, except
// that while the text box loads or rewrites a large text (hugepages::ForLargeBlocks) a block
// of 4 MiB or more is given huge pages. The text component keeps its text, its line index and
// its undo history in blocks of the C++ library, which it allocates and fills then: this is
// the one place that sees them before they are first written. Compiled into each program,
// which is where a replacement of these functions has to be; left out under the address
// sanitizer, whose own ones check every block.

#include "platform/hugepages.h"

#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TANSY_ASAN
#endif
#endif
#if !defined(__SANITIZE_ADDRESS__) && !defined(TANSY_ASAN)

namespace {

// Large enough to hold a whole huge page wherever the block starts.
constexpr std::size_t Large = 2 * hugepages::Size;

void *allocate(std::size_t size)
{
    for (;;) {
        if (void *block = std::malloc(size == 0 ? 1 : size)) {
            if (size >= Large && hugepages::forLargeBlocks())
                hugepages::advise(block, size);
            return block;
        }
        // As the standard's own: the new-handler may free memory and let it try again.
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

}

void *operator new(std::size_t size)
{
    return allocate(size);
}

void *operator new[](std::size_t size)
{
    return allocate(size);
}

void operator delete(void *block) noexcept
{
    std::free(block);
}

void operator delete[](void *block) noexcept
{
    std::free(block);
}

void operator delete(void *block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void *block, std::size_t) noexcept
{
    std::free(block);
}

#endif
