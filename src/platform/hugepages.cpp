#include "platform/hugepages.h"

#include <cstdint>
#include <cstring>
#include <sys/mman.h>

namespace hugepages {
namespace {
thread_local int scopes = 0;
}

ForLargeBlocks::ForLargeBlocks()
{
    ++scopes;
}

ForLargeBlocks::~ForLargeBlocks()
{
    --scopes;
}

bool forLargeBlocks()
{
    return scopes > 0;
}

void advise(void *block, std::size_t size)
{
    const auto first = std::uintptr_t(block);
    const std::uintptr_t start = (first + Size - 1) & ~(Size - 1);
    const std::uintptr_t end = (first + size) & ~(Size - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}

QByteArray copy(QByteArrayView bytes)
{
    QByteArray copy(bytes.size(), Qt::Uninitialized);
    advise(copy.data(), std::size_t(copy.size()));
    if (!bytes.isEmpty())
        std::memcpy(copy.data(), bytes.data(), std::size_t(bytes.size()));
    return copy;
}

}
