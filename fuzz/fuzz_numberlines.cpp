// Number Lines, parsed back: every line starts with its number and two blanks, the numbers
// run from 1 without a gap, and taking the prefixes away gives the input back.
#include "editing/numberlines.h"

#include <QByteArray>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray numbered = numberLines(text);

    QByteArray back;
    qint64 expected = 1;
    qsizetype at = 0;
    while (at < numbered.size()) {
        const qsizetype blanks = numbered.indexOf("  ", at);
        if (blanks < 0)
            std::abort();
        const QByteArray number = numbered.mid(at, blanks - at);
        const QByteArray wanted = QByteArray::number(expected).rightJustified(3, '0');
        if (number != wanted)
            std::abort();
        const qsizetype feed = numbered.indexOf('\n', blanks + 2);
        const qsizetype end = feed < 0 ? numbered.size() : feed + 1;
        back += numbered.mid(blanks + 2, end - blanks - 2);
        at = end;
        ++expected;
    }
    if (back != text)
        std::abort();
    return 0;
}
