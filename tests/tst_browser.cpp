#include "support.h"
#include "browser/browsercommands.h"
#include "browser/frmbrowser.h"
#include "platform/webbrowser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
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

frmBrowser *open(const QString &address)
{
    auto *browser = new frmBrowser;
    browser->StartingAddress = address;
    browser->Show();
    return browser;
}

// A browser window opened at an address, the captions it has shown and the loads it has
// finished since the last forget(), and what a user does in it.
class Browsing : public QObject
{
public:
    Browsing(const PageServer &server, const QString &start)
        : server(server), window(new frmBrowser), control(window->browser()),
          address(window->findChild<QComboBox *>("cboAddress")),
          timer(window->findChild<QTimer *>("timTimer"))
    {
        window->StartingAddress = server.url(start);
        window->Show();
        connect(window, &QWidget::windowTitleChanged, this, [this](const QString &title) {
            if (captions.isEmpty() || captions.last() != title)
                captions << title;
        });
        connect(control, &WebBrowser::DownloadComplete, this, [this] { ++loads; });
    }
    void forget() { captions.clear(), loads = 0; }
    // Keys go where a user's go: to the widget that has the focus after a click on the box.
    QWidget *clickAddress()
    {
        QLineEdit *line = address->lineEdit();
        QTest::mouseClick(line, Qt::LeftButton, {}, line->rect().center());
        if (!QTest::qWaitForWindowActive(window) || !QApplication::focusWidget())
            qFatal("the address box took no focus");
        return QApplication::focusWidget();
    }
    void type(const QString &path)  // typed key by key, then Enter
    {
        address->lineEdit()->clear();
        QTest::keyClicks(clickAddress(), server.url(path));
        QTest::keyClick(clickAddress(), Qt::Key_Return);
    }
    void pick(const QString &path)  // chosen in the list
    {
        address->lineEdit()->setText(server.url(path));
        window->cboAddress_Click();
    }
    void press(const char *button)  // a click on the tool bar's button
    {
        auto *bar = window->findChild<QToolBar *>("tbToolBar");
        QWidget *widget = bar->widgetForAction(bar->findChild<QAction *>(button));
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    bool title(const QString &title)
    {
        return QTest::qWaitFor([&] { return window->windowTitle() == title; }, LoadTimeout);
    }
    bool at(const QString &path)
    {
        return QTest::qWaitFor([&] { return control->LocationURL() == server.url(path); },
                               LoadTimeout);
    }
    bool idle() { return QTest::qWaitFor([&] { return !timer->isActive(); }, LoadTimeout); }

    const PageServer &server;
    frmBrowser *window;
    WebBrowser *control;
    QComboBox *address;
    QTimer *timer;
    QStringList captions;  // every caption shown since forget(), without repeats
    int loads = 0;         // download-complete notifications since forget()
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
        const QList<frmBrowser *> windows = browsers();
        QCOMPARE(windows.size(), 3);
        for (frmBrowser *browser : windows) {
            QVERIFY(browser->isVisible() && !browser->parentWidget());
            QCOMPARE(browser->StartingAddress, BrowserCommands::homePage());
            const auto *list = browser->findChild<QComboBox *>("cboAddress");
            QCOMPARE(list->count(), 1);
            QCOMPARE(list->itemText(0), BrowserCommands::homePage());
            QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Tansy's INI Editor"),
                                      LoadTimeout);
        }
        QPointer<frmBrowser> first = windows.first();
        first->close();
        QTRY_VERIFY(first.isNull());
        QCOMPARE(browsers().size(), 2);
    }

    void waitingTextWhileAPageLoads()
    {
        Browsing b(m_server, "/slow");
        QVERIFY(b.title("Slow page"));
        QCOMPARE(b.captions, QStringList({Waiting, "Slow page"}));
    }

    // Enter goes to exactly the typed text, a prefix not completed; the list keeps one entry,
    // and Enter on it navigates once.
    void enterGoesToTheTypedText()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.title("Page A"));
        b.type("/b");
        QVERIFY(b.title("Page B") && b.at("/b"));
        QCOMPARE(b.address->count(), 1);
        b.forget();
        b.type("/a");
        QVERIFY(b.title("Page A"));
        b.control->Navigate(m_server.url("/b"));
        QVERIFY(b.title("Page B"));
        QCOMPARE(b.loads, 2);
        QCOMPARE(b.address->count(), 1);
        b.type("/");
        QVERIFY(b.title("Other") && b.at("/"));
    }

    // Only the timer shows the waiting text: none once Stop's events are handled.
    void stopDuringASlowPage()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.title("Page A") && b.idle());
        b.pick("/slow");
        QVERIFY(b.title(Waiting));
        b.forget();
        b.press("Stop");
        QCoreApplication::processEvents();
        QVERIFY(!b.timer->isActive());
        QVERIFY(b.window->windowTitle() != Waiting && !b.captions.contains(Waiting));
    }

    // A followed link starts no timer: the caption follows the download-complete notice alone.
    void linkFollowedInThePage()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.title("Page A") && b.idle());
        b.window->findChild<QWebEngineView *>()->page()->runJavaScript(
            "document.getElementById('l').click()");
        QVERIFY(b.at("/b") && b.title("Page B"));
        QVERIFY(!b.timer->isActive());
    }

    // No local file is shown, typed or asked for by a page.
    void noLocalFiles()
    {
        Browsing b(m_server, "/a");
        QVERIFY(b.title("Page A") && b.idle());
        b.forget();
        b.pick("file:///etc/hostname");
        QVERIFY(QTest::qWaitFor([&] { return b.loads > 0; }, LoadTimeout));
        QCOMPARE(b.control->LocationURL(), m_server.url("/a"));
        b.window->findChild<QWebEngineView *>()->page()->runJavaScript(
            "location.href = 'file:///etc/hostname'");
        b.control->Navigate(m_server.url("/b"));
        QVERIFY(b.title("Page B"));
    }

    // With no starting address: empty and idle, the page first in the tab order, the address
    // box reached by its label's access key; the box and the page follow the window's size.
    void emptyStartingAddress()
    {
        frmBrowser *browser = open(QString());
        auto *box = browser->findChild<QComboBox *>("cboAddress");
        QCOMPARE(box->count(), 0);
        QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
        QCOMPARE(browser->browser()->LocationURL(), QString());
        QVERIFY(QTest::qWaitForWindowActive(browser));
        const auto *page = browser->findChild<QWidget *>("brwWebBrowser");
        QVERIFY(page->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
        QVERIFY(box->isAncestorOf(QApplication::focusWidget()) || box->hasFocus());
        const int margin = browser->width() - box->geometry().right();
        for (const QSize size : {QSize(1200, 900), QSize(300, 260)}) {
            browser->resize(size);
            QApplication::processEvents();
            verifyLayout(browser, {"brwWebBrowser", "cboAddress"}, {"lblAddress"});
            QCOMPARE(browser->width() - box->geometry().right(), margin);
            QCOMPARE(browser->width() - page->geometry().right(), margin);
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
