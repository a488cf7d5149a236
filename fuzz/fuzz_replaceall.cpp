// Replace All's one pass, in parts, against the literal loop of selections it stands for.
#include "fuzzinput.h"
#include "search/finder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool exact = input.number() & 1;
    const qint64 found = input.number();
    const qsizetype partSize = 1 + input.number() % 16;  // parts cut often, as on a large text
    const QByteArray needle = input.text();
    const QByteArray with = input.text();
    const QByteArray text = input.text();
    if (text.size() > 4096)
        return 0;

    QByteArray loop = text;
    qint64 caret = -1;
    for (qint64 at = finder::find(loop, needle, found + 1, exact); at >= 1;) {
        loop.replace(at - 1, needle.size(), with);
        caret = at - 1 + with.size();
        at = finder::find(loop, needle, at + with.size() + 1, exact);
    }

    const finder::ReplaceAll plan = finder::replaceAll(text, needle, with, found + 1, exact, partSize);
    QByteArray fast = text;
    if (plan.count > 0)
        fast.replace(plan.from, plan.to - plan.from, plan.replacement);
    if (fast != loop || (plan.count > 0 && plan.caret != caret) || (plan.count == 0) != (caret < 0))
        std::abort();
    return 0;
}
