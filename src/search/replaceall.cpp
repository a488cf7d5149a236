#include "search/replaceall.h"

#include "platform/textbox.h"
#include "search/finder.h"

#include <algorithm>
#include <functional>

namespace finder {

// The loop searches the text it has changed, but always from beyond what it inserted, so
// every hit it finds lies in text it has not touched: the hits are those of the original text,
// each search starting one character beyond the end of the previous hit.
Span replaceAllSpan(QByteArrayView text, QByteArrayView needle, qint64 start, bool caseSensitive)
{
    Span span;
    for (qint64 hit = find(text, needle, start, caseSensitive); hit > 0;
         hit = find(text, needle, hit + needle.size() + 1, caseSensitive)) {
        if (span.count++ == 0)
            span.from = hit - 1;
        span.to = hit - 1 + needle.size();
    }
    // The insertion of an empty search text's last hit is at `to`; a part can only see it
    // with a byte after it.
    if (span.count > 0 && needle.isEmpty() && span.to < text.size()) {
        span.kept = 1;
        ++span.to;
    }
    return span;
}

ReplaceAllParts::ReplaceAllParts(QByteArrayView needle, QByteArrayView with, bool caseSensitive,
                                 qsizetype partSize)
    : m_needle(needle), m_with(with), m_caseSensitive(caseSensitive),
      m_partSize(std::max<qsizetype>(partSize, 1))
{
}

// Each search looks at a window of the rest a part long beyond where it starts, so that a
// search never reads (or, for a long case-insensitive text, folds) the whole rest.
qsizetype ReplaceAllParts::operator()(QByteArrayView rest, QByteArray &into)
{
    const qsizetype n = m_needle.size();
    qsizetype used = 0;
    while (used < m_partSize) {
        const QByteArrayView window =
            rest.first(std::min(rest.size(), m_searchFrom + m_partSize + n));
        const qint64 hit = find(window, m_needle, m_searchFrom + 1, m_caseSensitive);
        if (hit == 0) {
            if (used > 0)
                break;
            // No hit in the window: none begins before its last n - 1 bytes, and what lies
            // before them stays as it is.
            const qsizetype kept = window.size() == rest.size()
                ? rest.size()
                : window.size() - std::max<qsizetype>(n - 1, 0);
            into.append(rest.first(kept));
            m_searchFrom = 0;  // it was inside what is kept
            return kept;
        }
        into.append(rest.sliced(used, hit - 1 - used));
        into.append(m_with);
        used = hit - 1 + n;
        m_searchFrom = used + 1;
    }
    m_searchFrom -= used;
    return used;
}

// The same result as replacing hit after hit, computed in one pass and put into the editor as
// one change, a part at a time: a loop of selections is quadratic and locks the window on a
// large file.
qint64 replaceAll(TextBox &editor, QByteArrayView needle, QByteArrayView with, qint64 start,
                  bool caseSensitive, qsizetype partSize)
{
    // A longer text is sized before anything changes: the selection's and each hit's growth.
    const qint64 delta = with.size() - needle.size();
    if (delta > 0) {
        const qint64 hits = replaceAllSpan(editor.bytes(), needle, start, caseSensitive).count;
        if (!editor.makeRoom(with.size() - editor.selLength() + hits * delta))
            return -1;
    }
    // Everything it changes: the selection and the hits after it.
    const BigChange change(editor, std::min(start, editor.selStart()), editor.length());
    editor.replaceSelection(with);
    const Span span = replaceAllSpan(editor.bytes(), needle, start, caseSensitive);
    if (span.count == 0)
        return 0;
    ReplaceAllParts parts(needle, with, caseSensitive, partSize);
    const qint64 growth = span.count * (with.size() - needle.size());
    const qint64 end = editor.rewrite(span.from, span.to, std::ref(parts), growth);
    editor.setSelection(end - span.kept, 0);
    return span.count;
}

}
