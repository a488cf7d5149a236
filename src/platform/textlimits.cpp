#include "platform/textlimits.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace textlimits {

namespace {
qint64 limit = -1;
qint64 bigChangeSize = -1;
}

qint64 bigChange()
{
    return bigChangeSize >= 0 ? bigChangeSize : qint64(1) << 20;
}

void setBigChange(qint64 bytes)
{
    bigChangeSize = bytes;
}

void limitCapacity(qint64 bytes)
{
    limit = bytes;
}

qint64 capacity()
{
    const qint64 Largest = limit >= 0 ? std::min(limit, qint64(1) << 30) : qint64(1) << 30;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return Largest;
    for (const QByteArray &line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong();
            if (kib > 0)
                return std::min(Largest, kib * 1024 / 3);
        }
    }
    return Largest;
}

bool canHold(QByteArrayView bytes)
{
    return bytes.size() <= capacity() && !hasLineLongerThan(bytes, LongestLine);
}

// Each step looks for the last line end within `limit` bytes after the previous one: a text
// of short lines is crossed in steps of `limit` bytes, not one call per line.
bool hasLineLongerThan(QByteArrayView bytes, qsizetype limit)
{
    const char *start = bytes.data();
    const char *end = start + bytes.size();
    while (end - start > limit) {
        const char *lineEnd = lastLineEnd(start, limit + 1);
        if (!lineEnd)
            return true;
        start = lineEnd + 1;
    }
    return false;
}

bool fileHasLineLongerThan(const QString &path, qsizetype limit)
{
    // Not blocking: the name may have become a FIFO since it was looked at.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QByteArray part(1 << 20, Qt::Uninitialized);
    qint64 run = 0;  // the bytes of the line the last part ended in
    bool longer = false;
    for (ssize_t n; !longer && (n = ::read(fd, part.data(), size_t(part.size()))) > 0;) {
        const char *at = part.constData();
        const char *first = firstLineEnd(at, n);
        const char *last = lastLineEnd(at, n);
        // The line the last part ended in, then the whole lines between the first and the last
        // line end of this one, then (below) the line this one ends in.
        const bool between = last > first
            && hasLineLongerThan(QByteArrayView(first + 1, last - first - 1), limit);
        longer = first ? run + (first - at) > limit || between : run + n > limit;
        run = first ? at + n - last - 1 : run + n;
        longer = longer || run > limit;
    }
    ::close(fd);
    return longer;
}

const char *lastLineEnd(const char *at, qsizetype size)
{
    if (size <= 0)
        return nullptr;
    const auto *feed = static_cast<const char *>(::memrchr(at, '\n', size_t(size)));
    const char *from = feed ? feed + 1 : at;  // a CR before the feed ends no later line
    const auto *cr = static_cast<const char *>(::memrchr(from, '\r', size_t(at + size - from)));
    return cr ? cr : feed;
}

const char *firstLineEnd(const char *at, qsizetype size)
{
    if (size <= 0)
        return nullptr;
    const auto *cr = static_cast<const char *>(std::memchr(at, '\r', size_t(size)));
    const auto *feed = static_cast<const char *>(std::memchr(at, '\n', size_t(cr ? cr - at : size)));
    return feed ? feed : cr;
}

}
