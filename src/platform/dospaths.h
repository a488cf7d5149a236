#pragma once

#include <QString>

// Turns the program's own fixed DOS-style paths ("/windows/win.ini", "C:\Program Files\...",
// "\Program Files\...", the registry's paths) into real paths, as the old platform's file
// system found them. Every drive letter and a path without one name the root of the current
// drive, which on Linux is "/"; tests give a folder of their own as root. A path that a file
// dialog returned is a Linux path already and never comes here.
class DosPaths
{
public:
    explicit DosPaths(QString root = QStringLiteral("/"));

    const QString &root() const { return m_root; }
    // Backslashes become slashes, a drive letter goes, and the path is taken below the root.
    // Each name is then found as the old file system found it, without regard to case: the
    // exact name when it is there, else the first of the names that differ from it only in
    // case, in byte order (so "WIN.INI" before "Win.ini"). A name found nowhere stays as it
    // is, so the path names a file that does not exist. A relative path is left relative.
    QString resolve(const QString &path) const;

private:
    QString m_root;
};
