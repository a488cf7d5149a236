// Bytes to Unicode and back is the identity; Unicode that the code page cannot hold becomes
// '?', one byte a character.
#include "platform/codepage.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = codepage::toUnicode(bytes);
    if (text.size() != bytes.size() || codepage::fromUnicode(text) != bytes)
        std::abort();

    const QString any = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QByteArray back = codepage::fromUnicode(any);
    if (back.size() > any.size())
        std::abort();
    return 0;
}
