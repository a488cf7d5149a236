#include "privileges.h"

#include <QDir>
#include <QFile>

#include <sys/fsuid.h>
#include <sys/mount.h>
#include <unistd.h>

bool ActAs::possible()
{
    return ::geteuid() == 0;
}

ActAs::ActAs(unsigned uid, unsigned gid)
{
    ::setfsgid(gid);
    ::setfsuid(uid);
}

ActAs::~ActAs()
{
    ::setfsuid(::geteuid());
    ::setfsgid(::getegid());
}

SmallDisk::SmallDisk(const QString &mountPoint, qint64 bytes) : m_mountPoint(mountPoint)
{
    if (::geteuid() != 0)
        return;
    QDir().mkpath(mountPoint);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    m_mounted = ::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0,
                        options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
}

bool SmallDisk::makeReadOnly()
{
    return m_mounted
        && ::mount("tmpfs", QFile::encodeName(m_mountPoint).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}
