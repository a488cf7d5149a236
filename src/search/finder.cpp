#include "search/finder.h"

#include "platform/codepage.h"

#include <array>
#include <cstring>
#include <vector>

namespace finder {
namespace {

qint64 findExact(QByteArrayView text, QByteArrayView needle, qint64 from)
{
    const void *hit = ::memmem(text.data() + from, size_t(text.size() - from), needle.data(),
                               size_t(needle.size()));
    return hit ? static_cast<const char *>(hit) - text.data() : -1;
}

// Case-insensitive: a table marks every byte that folds to the needle's first byte; the scan
// tests one table entry a byte and compares the rest only where one matches.
qint64 findFolded(QByteArrayView text, QByteArrayView needle, qint64 from)
{
    const unsigned char *fold = codepage::lowerTable();
    const auto *t = reinterpret_cast<const unsigned char *>(text.data());
    const auto *n = reinterpret_cast<const unsigned char *>(needle.data());
    const qint64 m = needle.size();
    const qint64 last = text.size() - m;  // the last position a hit can begin at

    std::array<bool, 256> starts{};
    for (int b = 0; b < 256; ++b)
        starts[size_t(b)] = fold[b] == fold[n[0]];

    for (qint64 i = from; i <= last; ++i) {
        if (!starts[t[i]])
            continue;
        qint64 k = 1;
        while (k < m && fold[t[i + k]] == fold[n[k]])
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

}

qint64 find(QByteArrayView text, QByteArrayView needle, qint64 start, bool caseSensitive)
{
    if (text.isEmpty() || start > text.size())
        return 0;
    const qint64 from = std::max<qint64>(start, 1) - 1;
    if (needle.isEmpty())
        return from + 1;
    if (needle.size() > text.size() - from)
        return 0;
    const qint64 at = caseSensitive ? findExact(text, needle, from) : findFolded(text, needle, from);
    return at < 0 ? 0 : at + 1;
}

ReplaceAll replaceAll(QByteArrayView text, QByteArrayView needle, QByteArrayView with,
                      qint64 start, bool caseSensitive)
{
    // The loop searches the text it has changed, but always from beyond what it inserted, so
    // every hit it finds lies in text it has not touched: the hits are those of the original
    // text, each search starting one character beyond the end of the previous hit.
    std::vector<qint64> hits;
    for (qint64 hit = find(text, needle, start, caseSensitive); hit > 0;
         hit = find(text, needle, hit + needle.size() + 1, caseSensitive))
        hits.push_back(hit - 1);

    ReplaceAll result;
    if (hits.empty())
        return result;
    result.count = qint64(hits.size());
    result.from = hits.front();
    result.to = hits.back() + needle.size();
    result.replacement.reserve(result.to - result.from
                               + result.count * (with.size() - needle.size()));
    qint64 copied = result.from;
    for (const qint64 hit : hits) {
        result.replacement.append(text.sliced(copied, hit - copied));
        result.replacement.append(with);
        copied = hit + needle.size();
    }
    result.caret = result.from + result.replacement.size();
    return result;
}

}
