#include "support.h"
#include "browser/browsercommands.h"
#include "browser/frmbrowser.h"
#include "platform/twips.h"
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
                        socket->write(
                            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: "
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
        return path.startsWith('/') ? QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path) : path;
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
            QVERIFY(browser->windowIcon().cacheKey() != form.windowIcon().cacheKey());
            QCOMPARE(browser->StartingAddress, BrowserCommands::homePage());
            const auto *list = browser->findChild<QComboBox *>("cboAddress");
            QCOMPARE(QStringList({list->itemText(0), QString::number(list->count())}),
                     QStringList({BrowserCommands::homePage(), "1"}));
            QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Tansy's INI Editor"), LoadTimeout);
        }
        QPointer<frmBrowser> first = windows.first();
        first->close();
        QTRY_VERIFY(first.isNull());
        QCOMPARE(browsers().size(), 2);
    }

    // Each row opens a browser at a starting address and runs its steps in order.
    void steps_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("steps");
        QTest::newRow("the waiting text while a page loads") << "/slow" << "title Slow page; captions waiting|Slow page";
        // Enter on the list's own entry navigates once: one load more and A is not loaded again.
        QTest::newRow("Enter goes to the typed text, the list stays") << "/a" << "title Page A; type /b; title Page B; url /b; "
            "entries 1; record; type /a; title Page A; go /b; title Page B; loads 2; entries 1";
        QTest::newRow("a typed prefix is not completed") << "/a" << "title Page A; keys /; title Other; url /";
        QTest::newRow("a jump within the page ends busy") << "/a" << "title Page A; type /a#l; url /a#l; title Page A; type /a#m; "
            "url /a#m; title Page A; enter; title Page A; notbusy; press Back; title Page A; notbusy; press Back; title Page A; "
            "notbusy; press Forward; title Page A; notbusy";
        QTest::newRow("Back, Forward, Refresh") << "/a" << "title Page A; go /b; title Page B; press Back; title Page A; "
            "press Forward; title Page B; record; press Refresh; busy; idle; captions waiting|Page B";
        QTest::newRow("Home and Search are the control's pages") << "/a" << "title Page A; press Home; url home; press Search; "
            "title Search the Web; url search";
        // The timer starts even when nothing moves; its tick puts the location name back.
        QTest::newRow("Back with no earlier page") << "/a" << "title Page A; caption changed; press Back; timer on; idle; "
            "title Page A; key back; timer on; url /a";
        // Only the timer shows the waiting text: off once Stop's events are handled.
        QTest::newRow("Stop during a slow page") << "/a" << "title Page A; idle; pick /slow; title waiting; record; press Stop; "
            "events; timer off; nowait";
        // A followed link starts no timer: the caption follows the download-complete notice alone.
        QTest::newRow("a link followed in the page") << "/a" << "title Page A; idle; js document.getElementById('l').click(); "
            "url /b; title Page B; timer off";
        QTest::newRow("no local files, typed or from a page") << "/a" << "title Page A; idle; record; pick file:///etc/hostname; loaded; at /a; "
            "js location.href = 'file:///etc/hostname'; go /b; title Page B";
    }
    void steps()
    {
        QFETCH(QString, start);
        QFETCH(QString, steps);
        frmBrowser *browser = open(m_server.url(start));
        m_captions.clear();
        connect(browser, &QWidget::windowTitleChanged, this, [this](const QString &title) {
            if (m_captions.isEmpty() || m_captions.last() != title)
                m_captions << title;
        });
        connect(browser->browser(), &WebBrowser::DownloadComplete, this, [this] { ++m_loads; });
        for (const QString &s : steps.split("; ")) {
            step(browser, s.section(' ', 0, 0), s.section(' ', 1));
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("at step: " + s));
        }
    }

    // With no starting address: the designed window, empty, idle, its keys and tool buttons.
    void emptyStartingAddress()
    {
        frmBrowser *browser = open(QString());
        QCOMPARE(browser->windowTitle(), QStringLiteral("MS Internet Browser"));
        auto *box = browser->findChild<QComboBox *>("cboAddress");
        QCOMPARE(QStringList({box->currentText(), QString::number(box->count())}), QStringList({"Combo1", "0"}));
        QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
        QCOMPARE(browser->browser()->LocationURL(), QString());
        QCOMPARE(browser->size(), twips::rect(0, 0, 9195, 7860).size());
        QVERIFY(QTest::qWaitForWindowActive(browser));
        const auto *page = browser->findChild<QWidget *>("brwWebBrowser");
        QVERIFY(page->isAncestorOf(QApplication::focusWidget()));  // first in the tab order
        QTest::keyClick(browser, Qt::Key_A, Qt::AltModifier);  // the label's access key
        QVERIFY(box->hasFocus() || box->lineEdit()->hasFocus());
        QStringList keys;
        for (QAction *action : browser->findChild<QToolBar *>("tbToolBar")->actions()) {
            keys << action->objectName();
            QCOMPARE(action->toolTip(), action->objectName());
            QCOMPARE(action->icon().availableSizes().value(0), QSize(24, 24));
        }
        QCOMPARE(keys.join(' '), "Back Forward Stop Refresh Home Search");
        // The address box and the page follow the window's width, the page its height too.
        for (const QSize size : {QSize(1200, 900), QSize(5, 40), QSize(300, 60)}) {
            browser->resize(size);
            QApplication::processEvents();
            const int w = browser->width(), width = std::max(0, w - twips::toPixels(100)),
                      panel = twips::toPixels(1215);
            QCOMPARE(box->geometry(), QRect(twips::toPixels(50), twips::toPixels(330), width, box->height()));
            QCOMPARE(browser->findChild<QWidget *>("brwWebBrowser")->geometry(),
                     QRect(twips::toPixels(50), panel, width,
                           std::max(0, browser->height() - panel - twips::toPixels(100))));
            QCOMPARE(browser->findChild<QWidget *>("picAddress")->width(), w);
            QCOMPARE(browser->findChild<QToolBar *>("tbToolBar")->width(), w);
        }
    }

private:
    // One step of a scenario: a verb and its argument.
    void step(frmBrowser *browser, const QString &verb, const QString &arg)
    {
        QLineEdit *line = browser->findChild<QComboBox *>("cboAddress")->lineEdit();
        WebBrowser *control = browser->browser();
        auto *timer = browser->findChild<QTimer *>("timTimer");
        const QString url = arg == "home" ? WebBrowser::homePage().toString()
            : arg == "search"             ? WebBrowser::searchPage().toString()
                                          : m_server.url(arg);
        // Keys go where a user's go: to the widget that has the focus after a click on the box.
        const auto focused = [browser, line] {
            QTest::mouseClick(line, Qt::LeftButton, {}, line->rect().center());
            if (!QTest::qWaitForWindowActive(browser) || !QApplication::focusWidget())
                qFatal("the address box took no focus");
            return QApplication::focusWidget();
        };
        if (verb == "type" || verb == "keys" || verb == "pick") {
            // The text set, then Enter or the list's click; or typed key by key, then Enter.
            line->clear();
            if (verb == "keys")
                QTest::keyClicks(focused(), url);
            else
                line->setText(url);
            if (verb == "pick")
                browser->cboAddress_Click();
            else
                QTest::keyClick(focused(), Qt::Key_Return);
        } else if (verb == "record") {
            m_captions.clear();
            m_loads = 0;
        } else if (verb == "enter")
            QTest::keyClick(focused(), Qt::Key_Return);
        else if (verb == "go")
            control->Navigate(url);
        else if (verb == "press")
            browser->findChild<QToolBar *>("tbToolBar")->findChild<QAction *>(arg)->trigger();
        else if (verb == "key")
            browser->tbToolBar_ButtonClick(arg);
        else if (verb == "js")
            browser->findChild<QWebEngineView *>()->page()->runJavaScript(arg);
        else if (verb == "caption")
            browser->setWindowTitle(arg);
        else if (verb == "title")
            QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), arg == "waiting" ? Waiting : arg, LoadTimeout);
        else if (verb == "url")
            QTRY_COMPARE_WITH_TIMEOUT(control->LocationURL(), url, LoadTimeout);
        else if (verb == "at")  // now, where a wait could pass before the page moves
            QCOMPARE(control->LocationURL(), url);
        else if (verb == "timer")
            QCOMPARE(timer->isActive() ? "on" : "off", arg);
        else if (verb == "idle")
            QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive(), LoadTimeout);
        else if (verb == "events")
            QCoreApplication::processEvents();
        else if (verb == "busy" || verb == "notbusy")  // "busy": at once, before the engine reports the load
            QCOMPARE(control->Busy(), verb == "busy");
        else if (verb == "entries")
            QCOMPARE(QString::number(browser->findChild<QComboBox *>("cboAddress")->count()), arg);
        else if (verb == "captions")
            QCOMPARE(m_captions.join('|').replace(Waiting, "waiting"), arg);
        else if (verb == "nowait")  // the waiting text neither shown now nor since "record"
            QVERIFY2(browser->windowTitle() != Waiting && !m_captions.contains(Waiting),
                     qPrintable(m_captions.join('|')));
        else if (verb == "loads")
            QCOMPARE(QString::number(m_loads), arg);
        else if (verb == "loaded")  // a load ended since "record", refused or not
            QTRY_VERIFY_WITH_TIMEOUT(m_loads > 0, LoadTimeout);
        else
            QFAIL(qPrintable("no such step: " + verb));
    }

    PageServer m_server;
    bool m_failed = false;
    QStringList m_captions;  // every caption shown since "record", without repeats
    int m_loads = 0;         // download-complete notifications since "record"
};

int main(int argc, char *argv[])
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    TestBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser.moc"
