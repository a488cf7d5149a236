#pragma once

#include <QString>

// Makes this thread's file accesses those of another user for a while (setfsuid), so tests
// that run as root can still meet "permission denied". Only possible as root.
class ActAs
{
public:
    static bool possible();
    ActAs(unsigned uid, unsigned gid);
    ~ActAs();
    ActAs(const ActAs &) = delete;
    ActAs &operator=(const ActAs &) = delete;
};

// A small tmpfs of its own, for a full disk or a read-only file system. Only as root.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &mountPoint, qint64 bytes);
    ~SmallDisk();
    bool mounted() const { return m_mounted; }
    bool makeReadOnly();

private:
    QString m_mountPoint;
    bool m_mounted = false;
};
