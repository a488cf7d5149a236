#include "platform/linefit.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <cstring>

using Sci = QsciScintillaBase;

namespace {

// Tabs and control characters, which the component draws wider than letters.
bool isWide(unsigned char c)
{
    return (c < 0x20 && c != '\n' && c != '\r') || c == 0x7f;
}

// Whether `text` holds a tab or a control character; in blocks of 64 bytes, which the compiler
// turns into vector instructions.
bool hasWide(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    qsizetype at = 0;
    for (; at + 64 <= size; at += 64) {
        unsigned char any = 0;
        for (int i = 0; i < 64; ++i)
            any |= static_cast<unsigned char>(isWide(bytes[at + i]));
        if (any)
            return true;
    }
    for (; at < size; ++at) {
        if (isWide(bytes[at]))
            return true;
    }
    return false;
}

}

// Each byte's advance is read from the component's own layout of it with the same font, in a
// box that nobody sees: the font's advance alone misses what the component draws in its own
// way (control characters as names in a box, 0x80-0x9F, synthetic bold and italic).
void LineFit::measure(const QFont &font, int tabWidth)
{
    QsciScintilla probe;
    probe.setUtf8(false);
    probe.setFont(font);
    m_width.fill(0);

    // Every byte twice, so that each is measured beside itself and beside another; the
    // larger advance of the two, a pixel more for the positions' rounding down, and one for
    // what kerning may add beside other letters.
    QByteArray line;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '\n' && byte != '\r')
            line.append(2, char(byte));
    }
    probe.SendScintilla(Sci::SCI_APPENDTEXT, static_cast<unsigned long>(line.size()), line.constData());
    const auto x = [&probe](qsizetype position) {
        return probe.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, long(position));
    };
    long previous = x(0);
    for (qsizetype at = 0; at < line.size(); ++at) {
        const long next = x(at + 1);
        int &width = m_width[static_cast<unsigned char>(line[at])];
        width = std::max<int>(width, int(next - previous) + 2);
        previous = next;
    }
    // A tab reaches the next tab stop, or the one after it when the next is under 2 pixels away.
    const int tabStop = tabWidth * m_width[' '];
    m_width['\t'] = tabStop + 2;
    m_width['\n'] = m_width['\r'] = 0;
    m_widest = *std::max_element(m_width.begin(), m_width.end());
    m_widestPrintable = 0;
    for (int byte = 0; byte < 256; ++byte) {
        if (!isWide(static_cast<unsigned char>(byte)))
            m_widestPrintable = std::max(m_widestPrintable, m_width[byte]);
    }
}

qint64 LineFit::width(QByteArrayView bytes) const
{
    qint64 sum = 0;
    for (const char c : bytes)
        sum += m_width[static_cast<unsigned char>(c)];
    return sum;
}

// A line of at most room / (the widest byte in the text) bytes fits whatever it holds. Each
// step looks for the last line feed within that many bytes, so a text of short lines is crossed
// in long steps; only a line longer than that is measured byte by byte.
bool LineFit::allFit(QByteArrayView text, qint64 room) const
{
    const int widest = hasWide(text) ? m_widest : m_widestPrintable;
    if (widest <= 0)
        return text.isEmpty();
    const qint64 surely = std::max<qint64>(room, 0) / widest;
    const char *at = text.data();
    const char *const end = at + text.size();
    while (end - at > surely) {
        if (const void *feed = ::memrchr(at, '\n', size_t(surely + 1))) {
            at = static_cast<const char *>(feed) + 1;
            continue;
        }
        const auto *feed = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
        const char *lineEnd = feed ? feed : end;
        if (width(QByteArrayView(at, lineEnd - at)) > room)
            return false;
        at = feed ? feed + 1 : end;
    }
    return true;
}
