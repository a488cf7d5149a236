#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// Start-up measured from outside the program, as a user sees it: a display of its own (Xvfb),
// the program started with exec, the clock stopped when the display maps its first top-level
// window; then its resident memory once it has settled.
class StartupProbe
{
public:
    StartupProbe();
    ~StartupProbe();
    bool ready() const;
    QString display() const { return m_display; }

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
