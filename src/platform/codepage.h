#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The program's code page: Windows-1252, with the five bytes it leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) mapped to the control characters of the same number, so that every byte
// has exactly one character and back. A character the code page cannot hold becomes '?'.
namespace codepage {

QChar toUnicode(unsigned char byte);
char fromUnicode(QChar ch);

QString toUnicode(QByteArrayView bytes);
QByteArray fromUnicode(const QString &text);

// Case mapping per character, through 256-entry tables: the length never changes, and a
// character whose other case the code page lacks (ß, µ) stays as it is.
// The whole text in lower case, for the long case-insensitive search.
QByteArray toLower(QByteArrayView bytes);
const unsigned char *upperTable();
const unsigned char *lowerTable();

}
