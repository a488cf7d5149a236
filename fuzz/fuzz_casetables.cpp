// Case mapping keeps the length, and settles: upper of lower of upper is upper.
#include "platform/codepage.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray upper = codepage::toUpper(text);
    const QByteArray lower = codepage::toLower(text);
    if (upper.size() != text.size() || lower.size() != text.size())
        std::abort();
    if (codepage::toUpper(codepage::toLower(upper)) != upper)
        std::abort();
    if (codepage::toLower(codepage::toUpper(lower)) != lower)
        std::abort();
    // Bytes without case stay as they are.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c >= '0' && c <= '9' && (upper.at(i) != c || lower.at(i) != c))
            std::abort();
    }
    return 0;
}
