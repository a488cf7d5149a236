#pragma once
// Plain statements of the search step and of Replace All, against which the fuzz targets and
// the editing tests check the program's own: the search on lower-case copies, Replace All as
// the loop of Replace it stands for.
#include "platform/codepage.h"

#include <QByteArray>

#include <algorithm>

namespace oracle {

// The first hit from the 1-based `start` on (before 1 counts as 1), 1-based; 0 for none.
inline qint64 find(const QByteArray &text, const QByteArray &needle, qint64 start, bool exact)
{
    if (text.isEmpty() || start > text.size())
        return 0;
    const QByteArray t = exact ? text : codepage::toLower(text);
    const QByteArray n = exact ? needle : codepage::toLower(needle);
    return t.indexOf(n, std::max<qint64>(start, 1) - 1) + 1;
}

// The selection replaced, then hit after hit from `found` + 1 on, each search going on one
// character beyond the previous replacement; `caret` ends after the last text put in.
inline QByteArray replaceAll(QByteArray text, qint64 selStart, qint64 selLength,
                             const QByteArray &needle, const QByteArray &with, qint64 found,
                             bool exact, qint64 &caret)
{
    text.replace(selStart, selLength, with);
    caret = selStart + with.size();
    for (qint64 at = find(text, needle, found + 1, exact); at >= 1;) {
        text.replace(at - 1, needle.size(), with);
        caret = at - 1 + with.size();
        at = find(text, needle, at + with.size() + 1, exact);
    }
    return text;
}

}
