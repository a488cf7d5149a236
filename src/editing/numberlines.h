#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Puts a number in front of every line: at least three digits, zero-padded, then two blanks
// ("001  "). A line ends with a line feed, which belongs to it, as does a carriage return
// before it; a carriage return alone ends no line. Text after the last line feed is numbered
// as a line of its own, so nothing is left unnumbered. One pass, any size.
QByteArray numberLines(QByteArrayView text);

// The size of numberLines(text), without making it.
qint64 numberedSize(QByteArrayView text);

// The same for a part of a text that begins a line: appends `text` to `into` with its lines
// numbered from `first`, and returns the number of the line after them.
qint64 numberLines(QByteArrayView text, qint64 first, QByteArray &into);
