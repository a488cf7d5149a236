#include "editing/casechange.h"

#include "platform/textbox.h"
#include "platform/vectorpaths.h"

#include <algorithm>

// Blocks of ASCII are changed 16 bytes at a time with SSE2 where vectorpaths.h builds it;
// elsewhere every byte is looked up in the table.

namespace {

// The first letter of the range a table moves by 0x20 in the ASCII half, when that is all it
// does there (as the code page's upper and lower case tables do), or 0.
unsigned char asciiRangeStart(const unsigned char *table)
{
    for (const unsigned char first : {'a', 'A'}) {
        bool follows = true;
        for (int c = 0; c < 0x80 && follows; ++c) {
            const bool moved = c >= first && c <= first + 25;
            follows = table[c] == (moved ? (c ^ 0x20) : c);
        }
        if (follows)
            return first;
    }
    return 0;
}

void mapBytes(const unsigned char *table, unsigned char rangeStart, const unsigned char *in, char *out,
              qsizetype size)
{
    qsizetype i = 0;
#ifdef TANSY_X86_VECTORS
    if (rangeStart) {
        const __m128i first = _mm_set1_epi8(char(rangeStart));
        const __m128i span = _mm_set1_epi8(25);
        const __m128i caseBit = _mm_set1_epi8(0x20);
        for (; i + 16 <= size; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
            if (_mm_movemask_epi8(v)) {  // a byte from 0x80 up: the table
                for (int j = 0; j < 16; ++j)
                    out[i + j] = char(table[in[i + j]]);
                continue;
            }
            const __m128i offset = _mm_sub_epi8(v, first);
            const __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(offset, span), offset);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                             _mm_xor_si128(v, _mm_and_si128(letter, caseBit)));
        }
    }
#else
    Q_UNUSED(rangeStart);
#endif
    for (; i < size; ++i)
        out[i] = char(table[in[i]]);
}

}

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
        const BigChange change(editor, start + first, start + last);
        const unsigned char rangeStart = asciiRangeStart(table);
        editor.rewrite(start + first, start + last, [=](QByteArrayView rest, QByteArray &into) {
            const qsizetype taken = std::min(rest.size(), partSize);
            into.resize(taken);
            // into.data() once: each into[i] would ask whether to detach
            mapBytes(table, rangeStart, reinterpret_cast<const unsigned char *>(rest.data()), into.data(), taken);
            return taken;
        });
    }
    editor.setSelection(start, length);
}
