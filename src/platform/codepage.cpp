#include "platform/codepage.h"

#include "platform/codepagetables.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstring>

namespace codepage {
namespace {

using Table = std::array<unsigned char, 256>;

// Everything a conversion needs of the page in use, made once when it is chosen.
struct Active
{
    int number = 0;
    std::array<char16_t, 256> characters{};
    // Each byte's UTF-8, padded to four bytes so that it is copied in one move.
    std::array<std::array<char, 4>, 256> utf8{};
    Table utf8Length{};
    // The byte of each character of the basic plane; '?' where the page has none.
    std::array<unsigned char, 0x10000> bytes{};
    Table upper{};
    Table lower{};
};

// A character's simple mapping, kept only where the other case maps back to it and the page
// holds it as that very character.
template <typename Mapping, typename Back>
Table caseTable(const Active &page, Mapping map, Back back)
{
    Table table{};
    for (int b = 0; b < 256; ++b) {
        const char16_t c = page.characters[b];
        const char16_t mapped = map(QChar(c)).unicode();
        const unsigned char to = page.bytes[mapped];
        const bool held = page.characters[to] == mapped && back(QChar(mapped)).unicode() == c;
        table[b] = held ? to : static_cast<unsigned char>(b);
    }
    return table;
}

Active make(const Page &source)
{
    Active page;
    page.number = source.number;
    for (int b = 0; b < 256; ++b)
        page.characters[b] = b < 0x80 ? char16_t(b) : source.high[b - 0x80];
    page.bytes.fill('?');
    for (int b = 255; b >= 0; --b) {
        const char16_t c = page.characters[b];
        page.bytes[c] = static_cast<unsigned char>(b);
        const QByteArray utf8 = QString(QChar(c)).toUtf8();
        std::memcpy(page.utf8[b].data(), utf8.constData(), size_t(utf8.size()));
        page.utf8Length[b] = static_cast<unsigned char>(utf8.size());
    }
    page.upper = caseTable(page, [](QChar c) { return c.toUpper(); },
                           [](QChar c) { return c.toLower(); });
    page.lower = caseTable(page, [](QChar c) { return c.toLower(); },
                           [](QChar c) { return c.toUpper(); });
    return page;
}

const Page *find(int number)
{
    const auto *it = std::find_if(Pages.begin(), Pages.end(),
                                  [number](const Page &p) { return p.number == number; });
    return it == Pages.end() ? nullptr : it;
}

Active &active()
{
    static Active page = make(*find(1252));
    return page;
}

}

bool isSupported(int page)
{
    return find(page) != nullptr;
}

QList<int> pages()
{
    QList<int> numbers;
    for (const Page &page : Pages)
        numbers.append(page.number);
    return numbers;
}

int current()
{
    return active().number;
}

void use(int page)
{
    const Page *source = find(page);
    active() = make(source ? *source : *find(1252));
}

namespace {

// Each locale's page, as Wine's table gives it for the one-byte pages: by language, by
// language and territory or script where those decide. Every locale not here, C and POSIX
// among them, and the double-byte ones (ja, zh, ko) for now, has 1252.
struct LocalePage
{
    const char *locale;
    int page;
};
constexpr LocalePage LocalePages[] = {
    {"bs", 1250}, {"cs", 1250}, {"dsb", 1250}, {"hr", 1250}, {"hsb", 1250}, {"hu", 1250},
    {"pl", 1250}, {"ro", 1250}, {"sk", 1250}, {"sl", 1250}, {"sq", 1250}, {"tk", 1250},
    {"sr@latin", 1250}, {"sr_ME", 1250}, {"be@latin", 1250},
    {"ba", 1251}, {"be", 1251}, {"bg", 1251}, {"cv", 1251}, {"kk", 1251}, {"ky", 1251},
    {"mk", 1251}, {"mn", 1251}, {"ru", 1251}, {"sah", 1251}, {"sr", 1251}, {"tg", 1251},
    {"tt", 1251}, {"uk", 1251}, {"az@cyrillic", 1251}, {"uz@cyrillic", 1251},
    {"el", 1253},
    {"az", 1254}, {"crh", 1254}, {"tr", 1254}, {"uz", 1254}, {"ku_TR", 1254},
    {"he", 1255}, {"yi", 1255},
    {"ar", 1256}, {"ckb", 1256}, {"fa", 1256}, {"ps", 1256}, {"ug", 1256}, {"ur", 1256},
    {"pa_PK", 1256},
    {"et", 1257}, {"lt", 1257}, {"lv", 1257},
    {"vi", 1258},
    {"th", 874},
};

int pageOf(const QByteArray &locale)
{
    for (const LocalePage &entry : LocalePages) {
        if (locale == entry.locale)
            return entry.page;
    }
    return 0;
}

}

int fromLocale(Environment environment)
{
    QByteArray locale;
    for (const char *name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        locale = environment(name);
        if (!locale.isEmpty())
            break;
    }
    // language[_territory][.charset][@modifier]
    const qsizetype at = locale.indexOf('@');
    const QByteArray modifier = at < 0 ? QByteArray() : locale.mid(at);
    QByteArray name = locale.left(at < 0 ? locale.size() : at);
    name.truncate(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
    const QByteArray language = name.left(name.indexOf('_') < 0 ? name.size() : name.indexOf('_'));
    for (const QByteArray &key : {name + modifier, language + modifier, name, language}) {
        if (const int page = pageOf(key))
            return page;
    }
    return 1252;
}

QChar toUnicode(unsigned char byte)
{
    return QChar(active().characters[byte]);
}

char fromUnicode(QChar ch)
{
    return char(active().bytes[ch.unicode()]);
}

QString toUnicode(QByteArrayView bytes)
{
    const Active &page = active();
    QString text(bytes.size(), Qt::Uninitialized);
    auto *out = reinterpret_cast<char16_t *>(text.data());
    for (const char b : bytes)
        *out++ = page.characters[static_cast<unsigned char>(b)];
    return text;
}

QByteArray fromUnicode(const QString &text)
{
    const Active &page = active();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        // A character beyond the basic plane is one '?', not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes.append(c.isSurrogate() ? '?' : char(page.bytes[c.unicode()]));
    }
    return bytes;
}

namespace {

// Whether none of eight bytes from `at` is from 0x80 up.
bool ascii8(const unsigned char *at)
{
    quint64 word;
    std::memcpy(&word, at, 8);
    return (word & 0x8080808080808080ull) == 0;
}

}

qsizetype utf8Length(QByteArrayView bytes)
{
    const unsigned char *lengths = active().utf8Length.data();
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype length = 0;
    qsizetype i = 0;
    // Eight bytes at a time: a run of ASCII at once, other words by eight look-ups without a
    // test of each byte, which text mixing two alphabets would mispredict.
    for (; i + 8 <= size; i += 8) {
        if (ascii8(in + i)) {
            length += 8;
            continue;
        }
        length += lengths[in[i]] + lengths[in[i + 1]] + lengths[in[i + 2]] + lengths[in[i + 3]]
            + lengths[in[i + 4]] + lengths[in[i + 5]] + lengths[in[i + 6]] + lengths[in[i + 7]];
    }
    for (; i < size; ++i)
        length += lengths[in[i]];
    return length;
}

qsizetype utf8Characters(QByteArrayView utf8)
{
    const auto *in = reinterpret_cast<const unsigned char *>(utf8.data());
    const qsizetype size = utf8.size();
    qsizetype characters = 0;
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, in + i, 8);
        // A continuation byte is 10xxxxxx: its top bit set and the next one clear.
        const quint64 continuation = word & ~(word << 1) & 0x8080808080808080ull;
        characters += 8 - qPopulationCount(continuation);
    }
    for (; i < size; ++i)
        characters += (in[i] & 0xC0) != 0x80;
    return characters;
}

char *toUtf8(QByteArrayView bytes, char *out)
{
    const Active &page = active();
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    // Runs of ASCII are copied eight bytes at a time; in other words each byte's UTF-8 (an
    // ASCII byte's is itself) in one move of four bytes, of which the next byte's overwrites
    // what is not its own, without a test of each byte: the three bytes after a word are
    // written over by those of the bytes after it. The last bytes are copied exactly.
    for (; i + 8 + 3 <= size; i += 8) {
        if (ascii8(in + i)) {
            std::memcpy(out, in + i, 8);
            out += 8;
            continue;
        }
        for (int k = 0; k < 8; ++k) {
            const unsigned char b = in[i + k];
            std::memcpy(out, page.utf8[b].data(), 4);
            out += page.utf8Length[b];
        }
    }
    for (; i < size; ++i) {
        const unsigned char b = in[i];
        std::memcpy(out, page.utf8[b].data(), page.utf8Length[b]);
        out += page.utf8Length[b];
    }
    return out;
}

QString held(const QString &text)
{
    return toUnicode(fromUnicode(text));
}

QByteArray toUtf8(QByteArrayView bytes)
{
    QByteArray utf8(utf8Length(bytes), Qt::Uninitialized);
    toUtf8(bytes, utf8.data());
    return utf8;
}

QByteArray fromUtf8(QByteArrayView utf8)
{
    const Active &page = active();
    const auto *in = reinterpret_cast<const unsigned char *>(utf8.data());
    const qsizetype size = utf8.size();
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < size;) {
        if (i + 8 <= size && ascii8(in + i)) {
            std::memcpy(out, in + i, 8);
            out += 8;
            i += 8;
            continue;
        }
        const unsigned char lead = in[i];
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F
                                                                                  : lead & 0x07;
        int used = 1;
        for (; used < length && i + used < size && (in[i + used] & 0xC0) == 0x80; ++used)
            c = (c << 6) | (in[i + used] & 0x3F);
        const bool whole = used == length && lead < 0xF8 && (lead < 0x80 || lead >= 0xC0);
        *out++ = whole && c < 0x10000 ? char(page.bytes[c]) : '?';
        i += used;
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

const unsigned char *utf8Lengths()
{
    return active().utf8Length.data();
}

bool isUndefined(unsigned char byte)
{
    const char16_t c = active().characters[byte];
    return (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c < 0xF900);
}

QByteArray toLower(QByteArrayView bytes)
{
    const Table &table = active().lower;
    QByteArray out(bytes.size(), Qt::Uninitialized);
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    auto *to = reinterpret_cast<unsigned char *>(out.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        to[i] = table[in[i]];
    return out;
}

const unsigned char *upperTable()
{
    return active().upper.data();
}

const unsigned char *lowerTable()
{
    return active().lower.data();
}

}
