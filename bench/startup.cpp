#include "startup.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <poll.h>
#include <xcb/xcb.h>

struct StartupProbe::Display
{
    QProcess server;
    xcb_connection_t *connection = nullptr;
};

qint64 statusBytes(const QString &process, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

StartupProbe::StartupProbe() : m_x(std::make_unique<Display>())
{
    // The first display number without a server.
    int number = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
        ++number;
    m_display = QStringLiteral(":%1").arg(number);
    m_x->server.start(QStringLiteral("Xvfb"), {m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                                               QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                                               QStringLiteral("tcp")});
    if (!m_x->server.waitForStarted())
        return;
    const QByteArray name = m_display.toLatin1();
    for (int i = 0; i < 100 && !m_x->connection; ++i) {
        xcb_connection_t *c = xcb_connect(name.constData(), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            QThread::msleep(50);  // the server is still starting
            continue;
        }
        m_x->connection = c;
    }
    if (!m_x->connection)
        return;
    // Told of every window mapped on the root: no window manager, so top-level windows are
    // the root's children.
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_x->connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_x->connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_x->connection);
}

StartupProbe::~StartupProbe()
{
    if (m_x->connection)
        xcb_disconnect(m_x->connection);
    m_x->server.terminate();
    m_x->server.waitForFinished();
}

bool StartupProbe::ready() const
{
    return m_x->connection != nullptr;
}

StartupProbe::Start StartupProbe::measure(const QString &program, const QStringList &arguments) const
{
    Start result;
    // Each start finds a fresh home: no settings or session of an earlier run.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    while (xcb_generic_event_t *old = xcb_poll_for_event(m_x->connection))
        free(old);

    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        return result;
    pollfd fd{xcb_get_file_descriptor(m_x->connection), POLLIN, 0};
    while (result.seconds == 0 && clock.elapsed() < 30000) {
        ::poll(&fd, 1, 100);
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_x->connection)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY
                && !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect
                && result.seconds == 0)
                result.seconds = double(clock.nsecsElapsed()) / 1e9;
            free(event);
        }
    }
    // Settled: the same resident size over a whole second, within 20 s.
    qint64 last = -1;
    for (int same = 0, i = 0; result.seconds > 0 && same < 10 && i < 200; ++i) {
        QThread::msleep(100);
        const qint64 now = statusBytes(QString::number(process.processId()), "VmRSS");
        same = now == last ? same + 1 : 0;
        last = now;
    }
    result.idleRss = std::max<qint64>(last, 0);
    process.kill();
    process.waitForFinished();
    return result;
}
