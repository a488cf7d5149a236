#include "platform/linefit.h"

#include "platform/codepage.h"
#include "platform/textboxcomponent.h"
#include "platform/textlimits.h"
#include "platform/vectorpaths.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>
#include <cstring>

// The search for lines to measure looks at 16 bytes at a time with SSE2 where vectorpaths.h
// builds it; elsewhere it steps from line end to line end. A line ends at a CR or a LF.

using Sci = QsciScintillaBase;

namespace {

// ASCII letters, digits, signs and spaces, the upper half of the code page's second half
// (in every page mostly letters: accented Latin, Cyrillic, Greek, Hebrew, Arabic, Thai), and
// line ends: what most lines of a start-up file are made of, and seldom as wide as a tab or a
// control character.
bool isPlain(unsigned char c)
{
    return (c >= 0x20 && c < 0x7f) || c >= 0xc0 || c == '\n' || c == '\r';
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

// The start of the first line from `at` (a line's start) that is longer than `surely` bytes or
// holds a byte that is not plain, or `end`. Each step takes the lines up to the last line feed
// within surely + 1 bytes, so a text of short lines is crossed in long steps.
const char *nextToMeasurePortable(const char *at, const char *end, qint64 surely)
{
    while (at < end) {
        const qint64 window = std::min<qint64>(end - at, surely + 1);
        const char *feed = textlimits::lastLineEnd(at, window);
        const char *stop = feed ? feed + 1 : (window <= surely ? end : nullptr);
        if (!stop || !allPlain(QByteArrayView(at, stop - at)))
            return at;
        at = stop;
    }
    return end;
}

#ifdef TANSY_X86_VECTORS
// The same, 16 bytes at a time: a mask of the line feeds and one of the bytes that are not
// plain, then each line feed in turn ends a line.
const char *nextToMeasure(const char *at, const char *end, qint64 surely)
{
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');  // a line end too
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i lastPlain = _mm_set1_epi8(0x7e - 0x20);
    const __m128i upperHalf = _mm_set1_epi8(char(0xc0));
    const char *line = at;
    const char *block = at;
    for (; end - block >= 16; block += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block));
        const __m128i feeds = _mm_or_si128(_mm_cmpeq_epi8(v, feed), _mm_cmpeq_epi8(v, cr));
        const __m128i shifted = _mm_sub_epi8(v, space);
        const __m128i printable = _mm_cmpeq_epi8(_mm_min_epu8(shifted, lastPlain), shifted);
        const __m128i letters = _mm_cmpeq_epi8(_mm_max_epu8(v, upperHalf), v);
        const __m128i plain = _mm_or_si128(_mm_or_si128(printable, letters), feeds);
        unsigned feedBits = unsigned(_mm_movemask_epi8(feeds));
        unsigned otherBits = ~unsigned(_mm_movemask_epi8(plain)) & 0xffffu;
        while (feedBits) {
            const int bit = __builtin_ctz(feedBits);
            const unsigned upToFeed = (2u << bit) - 1;
            if ((otherBits & upToFeed) || block + bit - line > surely)
                return line;
            line = block + bit + 1;
            otherBits &= ~upToFeed;
            feedBits &= feedBits - 1;
        }
        if (otherBits || block + 16 - line > surely)
            return line;
    }
    return nextToMeasurePortable(line, end, surely);
}
#else
const char *nextToMeasure(const char *at, const char *end, qint64 surely)
{
    return nextToMeasurePortable(at, end, surely);
}
#endif

}

// Each byte's advance is read from the component's own layout of its character with the same
// font, in a box that nobody sees: the font's advance alone misses what the component draws in
// its own way (control characters and undefined bytes as names in a box, characters from
// another font, synthetic bold and italic).
void LineFit::measure(const QFont &font, int tabWidth)
{
    QsciScintilla probe;
    TextBoxComponent::drawInCodePage(probe);
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
    const QByteArray utf8 = codepage::toUtf8(line);
    probe.SendScintilla(Sci::SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()),
                        utf8.constData());
    const auto x = [&probe](long position) {
        return probe.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, position);
    };
    const unsigned char *lengths = codepage::utf8Lengths();
    long position = 0;
    long previous = x(0);
    for (qsizetype at = 0; at < line.size(); ++at) {
        position += lengths[static_cast<unsigned char>(line[at])];
        const long next = x(position);
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

// A line of plain bytes no longer than room / (the widest plain byte) fits; only the other
// lines are measured byte by byte.
bool LineFit::allFit(QByteArrayView text, qint64 room) const
{
    if (m_widestPlain <= 0)
        return text.isEmpty();
    const qint64 surely = std::max<qint64>(room, 0) / m_widestPlain;
    const char *at = text.data();
    const char *const end = at + text.size();
    while ((at = nextToMeasure(at, end, surely)) < end) {
        const char *feed = textlimits::firstLineEnd(at, end - at);
        const char *lineEnd = feed ? feed : end;
        if (width(QByteArrayView(at, lineEnd - at)) > room)
            return false;
        at = feed ? feed + 1 : end;
    }
    return true;
}
