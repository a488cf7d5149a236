// Number Lines as the menu runs it, with parts of a few bytes, parsed back: every line
// starts with its number and two blanks, the numbers run from 1 without a gap, and taking the
// prefixes away gives the text back.
#include "editing/numberlines.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray text(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    TextBox &editor = fuzzEditor();
    editor.setText(text);
    numberLines(editor, 1 + data[0] % 16);
    const QByteArray numbered = editor.text();

    QByteArray back;
    qint64 expected = 1;
    qsizetype at = 0;
    while (at < numbered.size()) {
        const qsizetype blanks = numbered.indexOf("  ", at);
        if (blanks < 0 || numbered.mid(at, blanks - at)
                              != QByteArray::number(expected).rightJustified(3, '0'))
            std::abort();
        const qsizetype feed = numbered.indexOf('\n', blanks + 2);
        const qsizetype end = feed < 0 ? numbered.size() : feed + 1;
        back += numbered.mid(blanks + 2, end - blanks - 2);
        at = end;
        ++expected;
    }
    if (back != text || numbered.size() != numberedSize(text) || editor.selStart() != 0)
        std::abort();
    return 0;
}
