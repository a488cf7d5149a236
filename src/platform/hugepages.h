#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>

namespace hugepages {

// A block of many megabytes is filled in 2 MiB pages where the system gives them only on
// request: the kernel then handles one fault per 2 MiB instead of 512 when the block is first
// written, which for the component's 140 MB of a 64 MiB Cyrillic text was 0.4 s of a load's
// 0.9 s. Only the whole pages inside the block are marked, before it is first written; the
// advice is a hint, and a system without such pages ignores it.
constexpr std::size_t Size = std::size_t(2) << 20;
void advise(void *block, std::size_t size);
// A copy of `bytes`, in huge pages where they are large enough.
QByteArray copy(QByteArrayView bytes);

// While one lives on a thread, the blocks of 4 MiB and more that the C++ allocation functions
// hand out there get huge pages too (see largeblocks.cpp): for the text component's text, line
// index and undo history as the text box loads or rewrites a large text. Everything else the
// process allocates is left to the C library as it is.
class ForLargeBlocks
{
public:
    ForLargeBlocks();
    ~ForLargeBlocks();
    ForLargeBlocks(const ForLargeBlocks &) = delete;
    ForLargeBlocks &operator=(const ForLargeBlocks &) = delete;
};
// Whether a ForLargeBlocks lives on this thread now.
bool forLargeBlocks();

}
