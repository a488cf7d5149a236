// The search step against a plain reading of its rule, in both comparison modes.
#include "fuzz.h"
#include "oracle.h"
#include "search/finder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool exact = input.number() & 1;
    const qint64 start = qint64(input.number()) - 2;
    const QByteArray needle = input.text();
    const QByteArray text = input.text();

    const qint64 expected = oracle::find(text, needle, start, exact);
    if (finder::find(text, needle, start, exact) != expected)
        std::abort();
    return 0;
}
