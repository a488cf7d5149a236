#include "platform/filebytes.h"

#include "platform/hugepages.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filebytes {
namespace {

ReadResult failure(const QString &why)
{
    return ReadResult{std::nullopt, why};
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { if (m_fd >= 0) ::close(m_fd); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};


}

ReadResult readAll(const QString &path, qint64 maxSize, const std::function<bool()> &opened)
{
    if (path.isEmpty())
        return failure(QStringLiteral("no file name"));

    // O_NONBLOCK: opening a FIFO with no writer must not wait for one; it is refused below.
    const Descriptor file(::open(QFile::encodeName(path).constData(),
                                 O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        return failure(systemError());

    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return failure(systemError());
    if (!S_ISREG(info.st_mode))
        return failure(QStringLiteral("not a regular file"));
    if (info.st_size > maxSize)
        return failure(QStringLiteral("too large"));
    if (opened && !opened())
        return failure(QStringLiteral("refused"));

    // A quarter more room than the file takes, which costs no memory until it is written:
    // the editor keeps these bytes and grows into it as the text grows, where moving a
    // large buffer of huge pages (below) to a larger place would copy it all (64 MiB, 0.15 s).
    QByteArray bytes;
    try {
        bytes.reserve(qsizetype(info.st_size) + qsizetype(info.st_size) / 4);
        bytes.resize(qsizetype(info.st_size));
    } catch (const std::bad_alloc &) {
        return failure(QStringLiteral("not enough memory"));
    }
    hugepages::advise(bytes.data(), size_t(bytes.capacity()));

    // The file may change size while it is read: take what is there when the read ends.
    qsizetype filled = 0;
    char probe[65536];
    for (;;) {
        const bool full = filled == bytes.size();
        char *into = full ? probe : bytes.data() + filled;
        const size_t room = full ? sizeof probe : size_t(bytes.size() - filled);
        const ssize_t n = ::read(file.get(), into, room);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(systemError());
        }
        if (n == 0)
            break;
        if (full)
            bytes.append(probe, n);
        filled += n;
        if (filled > maxSize)
            return failure(QStringLiteral("too large"));
    }
    bytes.truncate(filled);
    return ReadResult{std::move(bytes), QString()};
}

}
