#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// A memory figure of a process from /proc/PROCESS/status ("self" for this one), in bytes:
// `field` is "VmRSS", "VmHWM" and the like. 0 when it cannot be read.
qint64 statusBytes(const QString &process, const char *field);

// Start-up measured from outside the program, as a user sees it: a display of its own (Xvfb),
// the program started with exec, the clock stopped when the display maps its first top-level
// window; then its resident memory once it has settled.
class StartupProbe
{
public:
    StartupProbe();
    ~StartupProbe();
    bool ready() const;

    struct Start
    {
        double seconds = 0;   // exec to the first top-level window mapped
        qint64 idleRss = 0;   // resident bytes once it stopped changing
    };
    // One start of `program`; seconds is 0 when no window showed within 30 s.
    Start measure(const QString &program, const QStringList &arguments) const;

private:
    struct Display;
    std::unique_ptr<Display> m_x;
    QString m_display;
};
