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

// What Replace All's loop does to the text, computed in one pass: from `start`, replace the
// hit, go on one character beyond the end of the replacement, and so on. The text changes
// only in [from, to) (0-based), which becomes `replacement`; `caret` is the 0-based position
// after the last inserted text. No hit: count 0 and nothing to change.
struct ReplaceAll
{
    qint64 count = 0;
    qint64 from = 0;
    qint64 to = 0;
    QByteArray replacement;
    qint64 caret = 0;
};

ReplaceAll replaceAll(QByteArrayView text, QByteArrayView needle, QByteArrayView with,
                      qint64 start, bool caseSensitive);

}
