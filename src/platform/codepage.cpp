#include "platform/codepage.h"

#include <array>

namespace codepage {
namespace {

// 0x80-0x9F of Windows-1252; the undefined five stand for themselves.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}

QChar toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(High[byte - 0x80]);
    return QChar(byte);
}

char fromUnicode(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    for (size_t i = 0; i < High.size(); ++i) {
        if (High[i] == u)
            return char(0x80 + i);
    }
    return '?';
}

QString toUnicode(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes)
        *out++ = toUnicode(static_cast<unsigned char>(b));
    return text;
}

QByteArray fromUnicode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A character beyond the basic plane is one '?', not two.
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i, bytes.append('?');
        else
            bytes.append(fromUnicode(text.at(i)));
    }
    return bytes;
}

namespace {

using Table = std::array<unsigned char, 256>;

template <typename Mapping>
Table makeTable(Mapping map)
{
    Table table{};
    for (int b = 0; b < 256; ++b) {
        const QChar mapped = map(toUnicode(static_cast<unsigned char>(b)));
        const char back = fromUnicode(mapped);
        // Only a character the code page holds, and holds as that very character.
        const bool held = toUnicode(static_cast<unsigned char>(back)) == mapped;
        table[b] = held ? static_cast<unsigned char>(back) : static_cast<unsigned char>(b);
    }
    return table;
}

const Table &upper()
{
    static const Table table = makeTable([](QChar c) { return c.toUpper(); });
    return table;
}

const Table &lower()
{
    static const Table table = makeTable([](QChar c) { return c.toLower(); });
    return table;
}

QByteArray mapped(QByteArrayView bytes, const Table &table)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    auto *to = reinterpret_cast<unsigned char *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        to[i] = table[in[i]];
    return out;
}

}

QByteArray toLower(QByteArrayView bytes)
{
    return mapped(bytes, lower());
}

const unsigned char *upperTable()
{
    return upper().data();
}

const unsigned char *lowerTable()
{
    return lower().data();
}

}
