#pragma once

#include <QByteArrayView>

#include <array>

class QFont;

// How wide the component can draw a line, from a table of each byte's widest advance, so that
// the text box can tell without the component whether any line would wrap. The component finds
// out by laying out every line, at about 2.5 MB a second (half a minute of a core for 64 MiB);
// the table answers at memory speed. Its widths are upper bounds: a line it says fits does fit,
// a line it says does not may still fit.
class LineFit
{
public:
    // Reads the widths from how the component draws each byte with `font`, and tab stops
    // every `tabWidth` spaces. Again after each change of the font.
    void measure(const QFont &font, int tabWidth);

    // At most how many pixels `bytes` take on one row; line ends take none.
    qint64 width(QByteArrayView bytes) const;
    // The most one byte can take.
    int widest() const { return m_widest; }
    // Whether no line of `text` (between line ends, CR or LF) is wider than `room` pixels.
    bool allFit(QByteArrayView text, qint64 room) const;

private:
    std::array<int, 256> m_width{};
    int m_widest = 0;
    // The most a plain byte (an ASCII letter, digit, sign or space, or one from 0xC0 up) can
    // take.
    int m_widestPlain = 0;
};
