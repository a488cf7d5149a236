#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The search dialog's text algorithms, over the document's bytes. Positions are 1-based as the
// dialog keeps them; 0 means "not found". Any size: positions are 64-bit.
namespace finder {

// The first occurrence of `needle` in `text` that begins at `start` or later; occurrences may
// overlap. An empty needle is found at `start` itself; a start beyond the end finds nothing,
// and nothing is found in an empty text. Without `caseSensitive` letters match whatever their
// case, through the code page's case table.
qint64 find(QByteArrayView text, QByteArrayView needle, qint64 start, bool caseSensitive);

// Whether the case-insensitive search may use AVX2 where the processor has it (by default it
// does); for tests, which check both ways on a processor that has it.
void allowAvx2(bool allowed);

// Where Replace All's loop changes the text: from `start` it replaces the hit, goes on one
// character beyond the end of the replacement, and so on. It changes only [from, to)
// (0-based), whose last `kept` bytes stay as they are (one after the last hit of an empty
// search text, which inserts there; else none). No hit: count 0.
struct Span
{
    qint64 count = 0;
    qint64 from = 0;
    qint64 to = 0;
    qint64 kept = 0;
};

Span replaceAllSpan(QByteArrayView text, QByteArrayView needle, qint64 start, bool caseSensitive);

// Replace All's new text for a span, a part at a time, left to right (see
// TextBox::rewrite): each call is shown the span's old text not yet replaced, writes what
// about `partSize` bytes of it become and returns how many it took. Parts end after a hit,
// so no part holds more than one part's worth of hits; memory stays small whatever the count.
class ReplaceAllParts
{
public:
    static constexpr qsizetype DefaultPartSize = 1 << 20;

    ReplaceAllParts(QByteArrayView needle, QByteArrayView with, bool caseSensitive,
                    qsizetype partSize = DefaultPartSize);
    qsizetype operator()(QByteArrayView rest, QByteArray &into);

private:
    QByteArrayView m_needle;
    QByteArrayView m_with;
    bool m_caseSensitive;
    qsizetype m_partSize;
    qsizetype m_searchFrom = 0;  // 0-based, in the rest the next call is shown
};

// The whole of Replace All at once: the span, its new text and the caret (0-based, after the
// last inserted text). Parts of `partSize` bytes, as the editor applies them.
struct ReplaceAll
{
    qint64 count = 0;
    qint64 from = 0;
    qint64 to = 0;
    QByteArray replacement;
    qint64 caret = 0;
};

ReplaceAll replaceAll(QByteArrayView text, QByteArrayView needle, QByteArrayView with,
                      qint64 start, bool caseSensitive,
                      qsizetype partSize = ReplaceAllParts::DefaultPartSize);

}
