// Bytes to Unicode and back is the identity, also through UTF-8; Unicode that the code page
// cannot hold becomes '?', one byte a character. The first byte picks the page.
#include "platform/codepage.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QList<int> pages = codepage::pages();
    codepage::use(pages[data[0] % pages.size()]);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = codepage::toUnicode(bytes);
    const QByteArray utf8 = codepage::toUtf8(bytes);
    if (text.size() != bytes.size() || codepage::fromUnicode(text) != bytes
        || codepage::fromUtf8(utf8) != bytes || text.toUtf8() != utf8)
        std::abort();
    // Any UTF-8, broken sequences too, gives at most a byte for each of its bytes.
    if (codepage::fromUtf8(bytes).size() > bytes.size())
        std::abort();

    const QString any
        = QString::fromUtf16(reinterpret_cast<const char16_t *>(data), qsizetype(size / 2));
    const QByteArray back = codepage::fromUnicode(any);
    if (back.size() > any.size())
        std::abort();
    return 0;
}
