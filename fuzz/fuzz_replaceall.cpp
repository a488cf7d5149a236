// Replace All as the dialog's button runs it, with parts of a few bytes or one, against the literal
// loop of Replace it stands for: the selection replaced, then hit after hit.
#include "fuzz.h"
#include "oracle.h"
#include "search/finder.h"
#include "search/replaceall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool exact = input.number() & 1;
    const qint64 found = input.number();
    const qint64 selStart = input.number();
    const qint64 selLength = input.number() % 4;
    const unsigned part = input.number() % 17;  // a few bytes, or all of a text's 4 KiB
    const qsizetype partSize = part == 16 ? 4096 : 1 + part;
    const QByteArray needle = input.text();
    const QByteArray with = input.text();
    const QByteArray text = input.text();
    if (text.size() > 4096 || selStart + selLength > text.size())
        return 0;

    qint64 caret = 0;
    const QByteArray loop
        = oracle::replaceAll(text, selStart, selLength, needle, with, found, exact, caret);

    TextBox &editor = fuzzEditor();
    editor.setText(text);
    editor.setSelection(selStart, selLength);
    {
        const UndoStep step(editor);
        finder::replaceAll(editor, needle, with, found + 1, exact, partSize);
    }
    if (editor.text() != loop || editor.selStart() != caret || editor.selLength() != 0)
        std::abort();
    editor.undo();
    if (editor.text() != text)
        std::abort();
    return 0;
}
