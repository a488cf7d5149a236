// The case tables of every page keep every byte a byte, and settle: upper of lower of upper is
// upper. The first byte picks the page.
#include "platform/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QList<int> pages = codepage::pages();
    codepage::use(pages[data[0] % pages.size()]);
    const unsigned char *upper = codepage::upperTable();
    const unsigned char *lower = codepage::lowerTable();
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = data[i];
        if (upper[lower[upper[c]]] != upper[c] || lower[upper[lower[c]]] != lower[c])
            std::abort();
        // Bytes without case stay as they are.
        if (c < 'A' && (upper[c] != c || lower[c] != c))
            std::abort();
    }
    return 0;
}
