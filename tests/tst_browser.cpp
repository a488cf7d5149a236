#include "support.h"
#include "browser/browsercommands.h"
#include "browser/frmbrowser.h"
#include "platform/webbrowser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString Waiting = QStringLiteral("Loading WEB Site.. Please Wait!");
constexpr int LoadTimeout = 15000;

// Pages on 127.0.0.1: /a links to /b; /slow answers after 3 s; any other path is "Other".
class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [socket] {
                    const QByteArray path = socket->readAll().split(' ').value(1);
                    const QByteArray title = path == "/a" ? "Page A"
                        : path == "/b"                    ? "Page B"
                        : path == "/slow"                 ? "Slow page"
                                                          : "Other";
                    const QByteArray body = "<html><head><title>" + title
                        + "</title></head><body><a id=l href=\"/b\">to B</a></body></html>";
                    QTimer::singleShot(path == "/slow" ? 3000 : 0, socket, [socket, body] {
                        socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: "
                                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                        socket->disconnectFromHost();
                    });
                });
        });
        listen(QHostAddress::LocalHost);
    }
    // A path starting with "/" is on this server; anything else is taken as it is.
    QString url(const QString &path) const
    {
        const QString local = QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort());
        return path.startsWith('/') ? local.arg(path) : path;
    }
};

QList<frmBrowser *> browsers()
{
    QList<frmBrowser *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *browser = qobject_cast<frmBrowser *>(w))
            found << browser;
    return found;
}

// A browser window opened at an address, the captions it has shown since, and what a user
// does in it.
struct Browsing
{
    Browsing(const PageServer &server, const QString &start) : server(server)
    {
        window->StartingAddress = server.url(start);
        window->Show();
        QObject::connect(window, &QWidget::windowTitleChanged, [this](const QString &title) {
            if (captions.isEmpty() || captions.last() != title)
                captions << title;
        });
    }
    // Typed key by key, then Enter, where a user's keys go: to the focus after a click on the
    // address box.
    void type(const QString &path)
    {
        QLineEdit *line = address->lineEdit();
        line->clear();
        QTest::mouseClick(line, Qt::LeftButton, {}, line->rect().center());
        QVERIFY(QTest::qWaitForWindowActive(window) && QApplication::focusWidget());
        QTest::keyClicks(QApplication::focusWidget(), server.url(path));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    void pick(const QString &path)  // chosen in the list
    {
        address->lineEdit()->setText(server.url(path));
        window->cboAddress_Click();
    }
    bool shows(const QString &title, const QString &path)
    {
        const auto there = [&] {
            return window->windowTitle() == title && control->LocationURL() == server.url(path);
        };
        return QTest::qWaitFor(there, LoadTimeout);
    }
    bool idle() { return QTest::qWaitFor([&] { return !timer->isActive(); }, LoadTimeout); }

    const PageServer &server;
    frmBrowser *window = new frmBrowser;
    WebBrowser *control = window->browser();
    QComboBox *address = window->findChild<QComboBox *>("cboAddress");
    QTimer *timer = window->findChild<QTimer *>("timTimer");
    QStringList captions;  // every caption shown, without repeats
};

}

class TestBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each case waits up to 15 s for a page: once one has failed, the rest are skipped, so a
    // fault fails the test in seconds rather than in minutes of waiting.
    void init()
    {
        if (m_failed)
            QSKIP("an earlier case failed");
    }
    void cleanup()
    {
        m_failed = m_failed || QTest::currentTestFailed();
        qDeleteAll(browsers());
    }

    // The button, the banner and the menu item each open a window of their own at the home
    // page; closing one leaves the others.
    void threeOpenersMakeSeparateWindows()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        run(form, "Command7");
        auto *banner = form.findChild<QLabel *>("Label1");
        QTest::mouseClick(banner, Qt::LeftButton, {}, banner->rect().center());
        run(form, "mnuNET");
        QCOMPARE(browsers().size(), 3);
        for (frmBrowser *browser : browsers()) {
            QVERIFY(browser->isVisible() && !browser->parentWidget());
            QCOMPARE(browser->StartingAddress, BrowserCommands::homePage());
        }
        delete browsers().first();
        QCOMPARE(browsers().size(), 2);
    }

    // The waiting text while a page loads; Enter goes to exactly the typed text, a prefix not
    // completed, and the list keeps its one entry.
    void navigation()
    {
        Browsing b(m_server, "/slow");
        QVERIFY(b.shows("Slow page", "/slow"));
        QCOMPARE(b.captions, QStringList({Waiting, "Slow page"}));
        b.type("/b");
        QVERIFY(b.shows("Page B", "/b"));
        b.type("/");
        QVERIFY(b.shows("Other", "/"));
        QCOMPARE(b.address->count(), 1);
    }

    // Only the timer shows the waiting text: none once Stop's events are handled.
    void stopDuringASlowPage()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.shows("Page A", "/a") && b.idle());
        b.pick("/slow");
        QTRY_COMPARE_WITH_TIMEOUT(b.window->windowTitle(), Waiting, LoadTimeout);
        b.captions.clear();
        auto *bar = b.window->findChild<QToolBar *>("tbToolBar");
        QWidget *stop = bar->widgetForAction(bar->findChild<QAction *>("Stop"));
        QTest::mouseClick(stop, Qt::LeftButton, {}, stop->rect().center());
        QCoreApplication::processEvents();
        QVERIFY(!b.timer->isActive());
        QVERIFY(b.window->windowTitle() != Waiting && !b.captions.contains(Waiting));
    }

    // A followed link starts no timer; no local file is shown.
    void linksAndLocalFiles()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.shows("Page A", "/a") && b.idle());
        QWebEnginePage *page = b.window->findChild<QWebEngineView *>()->page();
        page->runJavaScript("document.getElementById('l').click()");
        QVERIFY(b.shows("Page B", "/b"));
        QVERIFY(!b.timer->isActive() && b.idle());
        int loads = 0;
        QObject::connect(b.control, &WebBrowser::DownloadComplete, [&loads] { ++loads; });
        b.pick("file:///etc/hostname");
        QVERIFY(QTest::qWaitFor([&loads] { return loads > 0; }, LoadTimeout));  // refused
        QCOMPARE(b.control->LocationURL(), m_server.url("/b"));
    }

    // With no starting address: empty and idle, the page first in the tab order, the address
    // box reached by its label's access key; the box and the page follow the window's size.
    void emptyStartingAddress()
    {
        Browsing b(m_server, QString());
        QCOMPARE(b.address->count(), 0);
        QVERIFY(!b.timer->isActive());
        QVERIFY(QTest::qWaitForWindowActive(b.window));
        const auto *page = b.window->findChild<QWidget *>("brwWebBrowser");
        QVERIFY(page->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QVERIFY(b.address->isAncestorOf(QApplication::focusWidget()) || b.address->hasFocus());
        const int margin = b.window->width() - b.address->geometry().right();
        for (const QSize size : {QSize(1200, 900), QSize(300, 260)}) {
            b.window->resize(size);
            QApplication::processEvents();
            verifyLayout(b.window, {"brwWebBrowser", "cboAddress"}, {"lblAddress"});
            QCOMPARE(b.window->width() - b.address->geometry().right(), margin);
            QCOMPARE(b.window->width() - page->geometry().right(), margin);
        }
    }

private:
    PageServer m_server;
    bool m_failed = false;
};

int main(int argc, char *argv[])
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    TestBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser.moc"
