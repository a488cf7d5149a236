// The search step against a plain reading of its rule, in both comparison modes.
#include "fuzz.h"
#include "platform/codepage.h"
#include "search/finder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool exact = input.number() & 1;
    const qint64 start = qint64(input.number()) - 2;
    const QByteArray needle = input.text();
    const QByteArray text = input.text();

    qint64 expected = 0;
    if (!text.isEmpty() && start <= text.size()) {
        const QByteArray t = exact ? text : codepage::toLower(text);
        const QByteArray n = exact ? needle : codepage::toLower(needle);
        const qint64 at = t.indexOf(n, std::max<qint64>(start, 1) - 1);
        expected = at < 0 ? 0 : at + 1;
    }
    if (finder::find(text, needle, start, exact) != expected)
        std::abort();
    return 0;
}
