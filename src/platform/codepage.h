#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The system code page: the one-byte Windows code page that the old platform used for the
// user's locale, chosen once at start (see fromLocale()). The document is bytes in it; every
// byte has exactly one character and back, a byte the page leaves undefined included (it keeps
// the control or private-use character Windows gives it), so any file round-trips. A
// character the page cannot hold becomes '?'.
namespace codepage {

// The pages the program draws and converts: 874 and 1250-1258.
bool isSupported(int page);
QList<int> pages();
// The page in use, 1252 until use() is called.
int current();
// Makes `page` the one in use for every conversion and case mapping; an unsupported page
// gives 1252. Called at start, before any text exists.
void use(int page);

// The page Wine gives a program under this locale environment: the first of LC_ALL, LC_CTYPE
// and LANG that is set and not empty, its language and territory (the charset dropped, a
// script modifier kept), then its language alone. C, POSIX, an unknown locale and the
// double-byte locales give 1252.
using Environment = QByteArray (*)(const char *name);
int fromLocale(Environment environment = qgetenv);

QChar toUnicode(unsigned char byte);
char fromUnicode(QChar ch);

QString toUnicode(QByteArrayView bytes);
QByteArray fromUnicode(const QString &text);
// `text` as the page holds it: '?' for each character it lacks.
QString held(const QString &text);

// The same, to and from UTF-8, the text component's form: one character a byte, each 1 to 3
// bytes of UTF-8.
QByteArray toUtf8(QByteArrayView bytes);
QByteArray fromUtf8(QByteArrayView utf8);
// How long `bytes` are in UTF-8, and the UTF-8 written to `out`, which has room for it;
// returns the end of what was written.
qsizetype utf8Length(QByteArrayView bytes);
// How many characters `utf8` holds: its bytes that start one.
qsizetype utf8Characters(QByteArrayView utf8);
char *toUtf8(QByteArrayView bytes, char *out);
// How many bytes of UTF-8 each byte's character takes.
const unsigned char *utf8Lengths();
// Whether `byte` is one the page leaves undefined.
bool isUndefined(unsigned char byte);

// Case mapping per byte, through 256-entry tables of the page in use, by the old platform's
// non-linguistic rule: a character's simple Unicode mapping, kept only where it maps back and
// the page holds it (i and I also in Turkish; ı, İ, ς, µ and ß stay). The length never changes.
// The whole text in lower case, for the long case-insensitive search.
QByteArray toLower(QByteArrayView bytes);
const unsigned char *upperTable();
const unsigned char *lowerTable();

}
