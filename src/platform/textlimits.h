#pragma once

#include <QByteArrayView>

class QString;

// What text the text box can hold and show. The component lays a line out whole, measuring
// every character, whenever it paints, wraps or moves the caret on it: about 2.5 MB a second
// here, so one 50 MB line took 20 s for each paint.
namespace textlimits {

// A line longer than this is shown without wrapping (each wrap costs a layout more).
constexpr qsizetype LongestWrappedLine = 256 * 1024;
// A text with a line longer than this is not taken at all.
constexpr qsizetype LongestLine = 1024 * 1024;

// The largest text the box takes: 1 GiB, and no more than a third of the memory available
// now (a load needs about 2.6 times the file's size at its peak, measured on 320 MB).
qint64 capacity();
// For tests: the capacity is at most `bytes` from now on (a negative value lifts the limit).
void limitCapacity(qint64 bytes);
// How many bytes a command changes at least for its undo to keep the bytes it replaced
// itself (see BigChange): 1 MiB. For tests: `bytes` from now on (negative: 1 MiB again).
qint64 bigChange();
void setBigChange(qint64 bytes);
// Whether a text is one the box can hold and show: within capacity(), no line over LongestLine.
bool canHold(QByteArrayView bytes);
bool hasLineLongerThan(QByteArrayView bytes, qsizetype limit);
// The same of a file's bytes, read a part at a time (not found: false).
bool fileHasLineLongerThan(const QString &path, qsizetype limit);

// A line ends at a line feed or a carriage return, as the text box shows it: CR LF, a lone LF
// (Unix) and a lone CR (old Macintosh files). The last and the first line end in `size` bytes
// from `at`, or null.
const char *lastLineEnd(const char *at, qsizetype size);
const char *firstLineEnd(const char *at, qsizetype size);

}
