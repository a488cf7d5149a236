#include "platform/safesave.h"

#include "platform/filebytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <memory>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace safesave {
namespace {

Result failed(const QString &why)
{
    return Result{false, why};
}

QString systemError(int error = errno)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// The file a chain of symbolic links finally names; it need not exist.
bool followLinks(QString &path, QString &why)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(native(path).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return true;
        const QString target = QFile::symLinkTarget(path);
        if (target.isEmpty()) {
            // symLinkTarget() gives nothing for a link it cannot read to the end.
            char buffer[4096];
            const ssize_t n = ::readlink(native(path).constData(), buffer, sizeof buffer - 1);
            if (n < 0) {
                why = systemError();
                return false;
            }
            const QString raw = QFile::decodeName(QByteArray(buffer, n));
            path = QFileInfo(raw).isAbsolute()
                ? raw : QFileInfo(path).absolutePath() + QLatin1Char('/') + raw;
        } else {
            path = target;
        }
    }
    why = systemError(ELOOP);
    return false;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString &file)
{
    const int dir = ::open(native(QFileInfo(file).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

enum class RenameOutcome { Written, Failed, OwnerCannotBeKept, NoFileBeside, CannotReplace };

RenameOutcome writeByRename(const QString &target, const struct stat *old, QByteArrayView bytes,
                            QString &why)
{
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        why = out.errorString();
        // Typically a folder the user may not write in, holding a file the user may write.
        return old ? RenameOutcome::NoFileBeside : RenameOutcome::Failed;
    }
    if (old) {
        if (::fchmod(out.handle(), old->st_mode & 07777) != 0) {
            why = systemError();
            out.cancelWriting();
            return RenameOutcome::Failed;
        }
        struct stat now {};
        if (::fstat(out.handle(), &now) != 0
            || ((now.st_uid != old->st_uid || now.st_gid != old->st_gid)
                && ::fchown(out.handle(), old->st_uid, old->st_gid) != 0)) {
            out.cancelWriting();
            return RenameOutcome::OwnerCannotBeKept;
        }
        // A change of owner clears the set-user and set-group bits: give them back.
        if ((old->st_mode & (S_ISUID | S_ISGID)) && ::fchmod(out.handle(), old->st_mode & 07777) != 0) {
            why = systemError();
            out.cancelWriting();
            return RenameOutcome::Failed;
        }
    }
    if (out.write(bytes.data(), bytes.size()) != bytes.size() || !out.commit()) {
        why = out.errorString();
        // The new file was whole but could not take the old one's place: a file mounted
        // there (a container's configuration file, bound into place) cannot be renamed over.
        return old && out.error() == QFileDevice::RenameError ? RenameOutcome::CannotReplace
                                                              : RenameOutcome::Failed;
    }
    syncFolder(target);
    return RenameOutcome::Written;
}

bool rewrite(int fd, QByteArrayView bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes)
        && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// A copy of the old bytes on disk until the new ones are: beside the file, or, where its
// folder takes no new file, in a private temporary file of the user's (mode 0600). Null when
// neither can be made; the caller then keeps the old bytes in memory only.
std::unique_ptr<QTemporaryFile> keepCopy(const QFileInfo &target, const QByteArray &old,
                                         QString &why)
{
    const QString beside = target.absolutePath() + QStringLiteral("/.") + target.fileName()
        + QStringLiteral(".backup-XXXXXX");
    const QString private_ = QDir::tempPath() + QStringLiteral("/tansy-ini-editor-backup-XXXXXX");
    for (const QString &pattern : {beside, private_}) {
        auto copy = std::make_unique<QTemporaryFile>(pattern);
        if (!copy->open())
            continue;
        if (copy->write(old) == old.size() && copy->flush() && ::fsync(copy->handle()) == 0)
            return copy;
        why = copy->errorString();  // a full disk: no use trying further
        return nullptr;
    }
    return nullptr;
}

Result writeInPlace(const QString &target, QByteArrayView bytes)
{
    const filebytes::ReadResult old = filebytes::readAll(target);
    if (!old.bytes)
        return failed(old.error);

    const QFileInfo info(target);
    QString why;
    std::unique_ptr<QTemporaryFile> copy = keepCopy(info, *old.bytes, why);
    if (!why.isEmpty())
        return failed(why);
    struct statvfs space {};
    if (::statvfs(native(info.absolutePath()).constData(), &space) == 0) {
        const qint64 free = qint64(space.f_bavail) * qint64(space.f_frsize);
        if (free < bytes.size() - old.bytes->size())
            return failed(systemError(ENOSPC));
    }

    const int fd = ::open(native(target).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failed(systemError());
    Result result{true, QString()};
    if (!rewrite(fd, bytes)) {
        result = failed(systemError());
        // The copy stays if even the old bytes cannot be put back.
        if (!rewrite(fd, *old.bytes) && copy)
            copy->setAutoRemove(false);
    }
    ::close(fd);
    return result;
}

}

Result write(const QString &path, QByteArrayView bytes)
{
    QString target = path;
    QString why;
    if (target.isEmpty())
        return failed(QStringLiteral("no file name"));
    if (!followLinks(target, why))
        return failed(why);

    struct stat old {};
    if (::stat(native(target).constData(), &old) != 0) {
        if (errno != ENOENT)
            return failed(systemError());
        return writeByRename(target, nullptr, bytes, why) == RenameOutcome::Written
            ? Result{true, QString()} : failed(why);
    }
    if (S_ISDIR(old.st_mode))
        return failed(systemError(EISDIR));
    if (!S_ISREG(old.st_mode))
        return failed(QStringLiteral("not a regular file"));

    if (old.st_nlink == 1) {
        switch (writeByRename(target, &old, bytes, why)) {
        case RenameOutcome::Written:
            return Result{true, QString()};
        case RenameOutcome::Failed:
            return failed(why);
        case RenameOutcome::OwnerCannotBeKept:
        case RenameOutcome::NoFileBeside:
        case RenameOutcome::CannotReplace:
            break;
        }
    }
    return writeInPlace(target, bytes);
}

}
