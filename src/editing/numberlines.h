#pragma once

#include <QByteArray>
#include <QByteArrayView>

class TextBox;

// Puts a number in front of every line: at least three digits, zero-padded, then two blanks
// ("001  "). A line ends with a line feed, which belongs to it, as does a carriage return
// before it; a carriage return alone ends no line. Text after the last line feed is numbered
// as a line of its own, so nothing is left unnumbered. One pass, any size.
//
// Appends `text`, a text or a part of one that begins a line, to `into` with its lines
// numbered from `first`, and returns the number of the line after them.
qint64 numberLines(QByteArrayView text, qint64 first, QByteArray &into);

// The size of the numbered text, without making it.
qint64 numberedSize(QByteArrayView text);

// Number Lines as the menu runs it: the editor's whole text, whole lines of about `partSize`
// bytes at a time, as one undo step; the caret ends at the start. False, and nothing done,
// when the editor cannot take the numbered text.
bool numberLines(TextBox &editor, qsizetype partSize);
bool numberLines(TextBox &editor);
