#pragma once

#include <QByteArray>
#include <QByteArrayView>

class TextBox;

// Replace All of the search dialog, over the document's bytes. Positions are 1-based as the
// dialog keeps them, unless said otherwise.
namespace finder {

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

// Replace All as the dialog's button runs it: the selection becomes `with`, then every hit
// from `start` on, each search going on one character beyond the end of the previous
// replacement, as the loop of Replace would. The editor's caret ends after the last inserted
// text. Call it inside an UndoStep; parts of `partSize` bytes (see TextBox::rewrite).
// Returns how many hits were replaced after the selection, or -1, with nothing done, when the
// editor cannot take the result.
qint64 replaceAll(TextBox &editor, QByteArrayView needle, QByteArrayView with, qint64 start,
                  bool caseSensitive, qsizetype partSize = ReplaceAllParts::DefaultPartSize);

}
