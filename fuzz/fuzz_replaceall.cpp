// Replace All as the dialog's button runs it, with parts of a few bytes, against the literal
// loop of Replace it stands for: the selection replaced, then hit after hit.
#include "fuzz.h"
#include "search/finder.h"
#include "search/replaceall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const bool exact = input.number() & 1;
    const qint64 found = input.number();
    const qint64 selStart = input.number();
    const qint64 selLength = input.number() % 4;
    const qsizetype partSize = 1 + input.number() % 16;
    const QByteArray needle = input.text();
    const QByteArray with = input.text();
    const QByteArray text = input.text();
    if (text.size() > 4096 || selStart + selLength > text.size())
        return 0;

    QByteArray loop = text;
    loop.replace(selStart, selLength, with);
    qint64 caret = selStart + with.size();
    for (qint64 at = finder::find(loop, needle, found + 1, exact); at >= 1;) {
        loop.replace(at - 1, needle.size(), with);
        caret = at - 1 + with.size();
        at = finder::find(loop, needle, at + with.size() + 1, exact);
    }

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
