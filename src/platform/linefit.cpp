#include "platform/linefit.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <cstring>

using Sci = QsciScintillaBase;

namespace {

// ASCII letters, digits, signs and spaces, and line ends: what most lines of a start-up file
// are made of, and never as wide as a tab, a control character or some bytes from 0x80 up.
bool isPlain(unsigned char c)
{
    return (c >= 0x20 && c < 0x7f) || c == '\n' || c == '\r';
}

// One test per byte and no early exit within a block, which the compiler turns into vector
// instructions.
bool allPlain(QByteArrayView text)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    qsizetype at = 0;
    for (; at + 32 <= size; at += 32) {
        unsigned char plain = 1;
        for (int i = 0; i < 32; ++i)
            plain &= static_cast<unsigned char>(isPlain(bytes[at + i]));
        if (!plain)
            return false;
    }
    for (; at < size; ++at) {
        if (!isPlain(bytes[at]))
            return false;
    }
    return true;
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
    m_widestPlain = 0;
    for (int byte = 0; byte < 256; ++byte) {
        if (isPlain(static_cast<unsigned char>(byte)))
            m_widestPlain = std::max(m_widestPlain, m_width[byte]);
    }
}

qint64 LineFit::width(QByteArrayView bytes) const
{
    qint64 sum = 0;
    for (const char c : bytes)
        sum += m_width[static_cast<unsigned char>(c)];
    return sum;
}

// A line of plain bytes no longer than room / (the widest plain byte) fits. Each step takes the
// lines up to the last line feed within that many bytes, so a text of short lines is crossed
// in long steps; a line longer than that, or one in a step that holds other bytes, is
// measured byte by byte.
bool LineFit::allFit(QByteArrayView text, qint64 room) const
{
    if (m_widestPlain <= 0)
        return text.isEmpty();
    const qint64 surely = std::max<qint64>(room, 0) / m_widestPlain;
    const char *at = text.data();
    const char *const end = at + text.size();
    while (at < end) {
        const qint64 window = std::min<qint64>(end - at, surely + 1);
        const auto *feed = static_cast<const char *>(::memrchr(at, '\n', size_t(window)));
        const char *stop = feed ? feed + 1 : (window <= surely ? end : nullptr);
        if (stop && allPlain(QByteArrayView(at, stop - at))) {
            at = stop;
            continue;
        }
        const auto *lineFeed = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
        const char *lineEnd = lineFeed ? lineFeed : end;
        if (width(QByteArrayView(at, lineEnd - at)) > room)
            return false;
        at = lineFeed ? lineFeed + 1 : end;
    }
    return true;
}
