#include "editing/casechange.h"

#include "platform/textbox.h"

#include <algorithm>

void changeCase(TextBox &editor, const unsigned char *table)
{
    changeCase(editor, table, TextBox::PartSize);
}

void changeCase(TextBox &editor, const unsigned char *table, qsizetype partSize)
{
    const qint64 start = editor.selStart();
    const qint64 length = editor.selLength();
    const auto *in = reinterpret_cast<const unsigned char *>(editor.bytes().data() + start);
    qint64 first = 0;
    while (first < length && table[in[first]] == in[first])
        ++first;
    qint64 last = length;
    while (last > first && table[in[last - 1]] == in[last - 1])
        --last;
    if (first == last)
        return;
    {
        const UndoStep step(editor);
        editor.rewrite(start + first, start + last, [table, partSize](QByteArrayView rest, QByteArray &into) {
            const qsizetype taken = std::min(rest.size(), partSize);
            into.resize(taken);
            const auto *old = reinterpret_cast<const unsigned char *>(rest.data());
            char *out = into.data();  // once: each into[i] would ask whether to detach
            for (qsizetype i = 0; i < taken; ++i)
                out[i] = char(table[old[i]]);
            return taken;
        });
    }
    editor.setSelection(start, length);
}
