#include "app/form1.h"
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

// Two linked pages and one slow to answer, on 127.0.0.1.
class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
        });
        listen(QHostAddress::LocalHost);
    }

    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

private:
    void answer(QTcpSocket *socket)
    {
        const QByteArray request = socket->readAll();
        const QByteArray path = request.split(' ').value(1);
        QByteArray body;
        int delay = 0;
        if (path == "/a")
            body = "<html><head><title>Page A</title></head><body><a id=l href=\"/b\">to B</a></body></html>";
        else if (path == "/b")
            body = "<html><head><title>Page B</title></head><body>B</body></html>";
        else if (path == "/slow")
            body = "<html><head><title>Slow page</title></head><body>slow</body></html>", delay = 3000;
        else
            body = "<html><head><title>Other</title></head><body>other</body></html>";
        const QByteArray response = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
                                    "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        QTimer::singleShot(delay, socket, [socket, response] {
            socket->write(response);
            socket->disconnectFromHost();
        });
    }
};

class TestBrowser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void threeOpenersMakeSeparateWindows();
    void captionWhileLoading();
    void enterNavigatesToTheTypedText();
    void typedPrefixIsNotCompleted();
    void navigationWithoutALoadEndsBusy();
    void backForwardRefresh();
    void homeAndSearch();
    void clickThatChangesNothing();
    void stopDuringASlowPage();
    void linkFollowed();
    void layout_data();
    void layout();
    void emptyStartingAddress();
    void noLocalFiles();

private:
    PageServer m_server;
};

namespace {

const QString Waiting = QStringLiteral("Loading WEB Site.. Please Wait!");
constexpr int LoadTimeout = 15000;

QList<frmBrowser *> browsers()
{
    QList<frmBrowser *> found;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *browser = qobject_cast<frmBrowser *>(w))
            found << browser;
    }
    return found;
}

frmBrowser *open(const QString &address)
{
    auto *browser = new frmBrowser;
    browser->StartingAddress = address;
    browser->Show();
    return browser;
}

void click(frmBrowser *browser, const char *key)
{
    browser->findChild<QToolBar *>("tbToolBar")->findChild<QAction *>(key)->trigger();
}

// Every caption the window shows, in order, without repeats.
class Captions : public QStringList
{
public:
    explicit Captions(QWidget *window)
    {
        QObject::connect(window, &QWidget::windowTitleChanged, window, [this](const QString &t) {
            if (isEmpty() || last() != t)
                append(t);
        });
    }
};

}

void TestBrowser::cleanup()
{
    for (frmBrowser *browser : browsers())
        delete browser;
}

void TestBrowser::threeOpenersMakeSeparateWindows()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QPushButton *>("Command7")->click();
    auto *banner = form.findChild<QLabel *>("Label1");
    QTest::mouseClick(banner, Qt::LeftButton, {}, banner->rect().center());
    form.findChild<QAction *>("mnuNET")->trigger();

    const QList<frmBrowser *> windows = browsers();
    QCOMPARE(windows.size(), 3);
    for (frmBrowser *browser : windows) {
        QVERIFY(browser->isVisible());
        QVERIFY(!browser->parentWidget());
        QCOMPARE(browser->StartingAddress, BrowserCommands::homePage());
        auto *list = browser->findChild<QComboBox *>("cboAddress");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->itemText(0), BrowserCommands::homePage());
        QVERIFY(browser->windowIcon().cacheKey() != form.windowIcon().cacheKey());
    }
    for (frmBrowser *browser : windows)
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Tansy's INI Editor"), LoadTimeout);

    // Closing one leaves the others.
    QPointer<frmBrowser> first = windows.first();
    first->close();
    QTRY_VERIFY(first.isNull());
    QCOMPARE(browsers().size(), 2);
    form.close();
}

void TestBrowser::captionWhileLoading()
{
    auto *browser = new frmBrowser;
    Captions captions(browser);
    browser->StartingAddress = m_server.url("/slow");
    browser->Show();
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Slow page"), LoadTimeout);
    QCOMPARE(captions, (QStringList{Waiting, "Slow page"}));
}

void TestBrowser::enterNavigatesToTheTypedText()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    auto *box = browser->findChild<QComboBox *>("cboAddress");
    box->lineEdit()->setText(m_server.url("/b"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);
    QCOMPARE(browser->browser()->LocationURL(), m_server.url("/b"));
    QCOMPARE(box->count(), 1);
    QCOMPARE(box->itemText(0), m_server.url("/a"));

    // Enter on the text of the list's own entry navigates once, not twice.
    box->lineEdit()->setText(m_server.url("/a"));
    int loads = 0;
    connect(browser->browser(), &WebBrowser::DownloadComplete, browser, [&loads] { ++loads; });
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    // One load more, then: a second navigation to A would have finished before it.
    browser->browser()->Navigate(m_server.url("/b"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);
    QCOMPARE(loads, 2);
    QCOMPARE(box->count(), 1);
}

// Typing the start of the list's entry and Enter go to what was typed, not to the entry.
void TestBrowser::typedPrefixIsNotCompleted()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    auto *box = browser->findChild<QComboBox *>("cboAddress");
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), m_server.url("/"));
    QCOMPARE(box->lineEdit()->text(), m_server.url("/"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Other"), LoadTimeout);
    QCOMPARE(browser->browser()->LocationURL(), m_server.url("/"));
}

// A jump to a name on the same page, and history steps between such jumps, load nothing;
// the caption still comes back from the waiting text.
void TestBrowser::navigationWithoutALoadEndsBusy()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    auto *box = browser->findChild<QComboBox *>("cboAddress");
    for (const char *name : {"#l", "#m"}) {
        box->lineEdit()->setText(m_server.url("/a") + QLatin1String(name));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(browser->browser()->LocationURL(),
                                  m_server.url("/a") + QLatin1String(name), LoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    }
    // The same name again changes not even the address.
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    for (const char *key : {"Back", "Back", "Forward"}) {
        click(browser, key);
        QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
        QVERIFY(!browser->browser()->Busy());
    }
}

void TestBrowser::backForwardRefresh()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    browser->browser()->Navigate(m_server.url("/b"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);

    click(browser, "Back");
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    click(browser, "Forward");
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);
    Captions captions(browser);
    click(browser, "Refresh");
    QTRY_COMPARE_WITH_TIMEOUT(browser->findChild<QTimer *>("timTimer")->isActive(), false, LoadTimeout);
    QCOMPARE(browser->windowTitle(), QStringLiteral("Page B"));
    QCOMPARE(captions.value(0), Waiting);
}

// Home and Search are the control's own pages, not the starting address.
void TestBrowser::homeAndSearch()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    click(browser, "Home");
    QTRY_COMPARE_WITH_TIMEOUT(browser->browser()->LocationURL(), WebBrowser::homePage().toString(), LoadTimeout);
    click(browser, "Search");
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Search the Web"), LoadTimeout);
    QCOMPARE(browser->browser()->LocationURL(), WebBrowser::searchPage().toString());
}

// Back with no earlier page: the timer still starts, and its next tick puts the location
// name back as the caption. An unknown key starts the timer and nothing else.
void TestBrowser::clickThatChangesNothing()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    auto *timer = browser->findChild<QTimer *>("timTimer");
    browser->setWindowTitle(QStringLiteral("changed"));
    click(browser, "Back");
    QVERIFY(timer->isActive());
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(browser->windowTitle(), QStringLiteral("Page A"));

    browser->tbToolBar_ButtonClick(QStringLiteral("back"));  // keys match exactly
    QVERIFY(timer->isActive());
    QCOMPARE(browser->browser()->LocationURL(), m_server.url("/a"));
}

void TestBrowser::stopDuringASlowPage()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    browser->findChild<QComboBox *>("cboAddress")->lineEdit()->setText(m_server.url("/slow"));
    browser->cboAddress_Click();
    QTRY_COMPARE(browser->windowTitle(), Waiting);

    Captions captions(browser);
    click(browser, "Stop");
    QVERIFY(browser->windowTitle() != Waiting);
    // Only the timer shows the waiting text; once the events Stop caused are handled it must
    // be off, so the text cannot come back (the engine may or may not report the stopped load).
    QCoreApplication::processEvents();
    QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
    QVERIFY2(!captions.contains(Waiting), qPrintable(captions.join(" | ")));
}

// A link followed in the page starts no timer: the caption follows the download-complete
// notification alone.
void TestBrowser::linkFollowed()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    QTRY_VERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
    browser->findChild<QWebEngineView *>()->page()->runJavaScript("document.getElementById('l').click()");
    QTRY_COMPARE_WITH_TIMEOUT(browser->browser()->LocationURL(), m_server.url("/b"), LoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);
    QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
}

void TestBrowser::layout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("as designed") << twips::rect(0, 0, 9195, 7860).size();
    QTest::newRow("wide") << QSize(1200, 900);
    QTest::newRow("narrower than the margins") << QSize(5, 40);
    QTest::newRow("lower than the panel") << QSize(300, 60);
}

void TestBrowser::layout()
{
    QFETCH(QSize, size);
    frmBrowser *browser = open(QString());
    browser->resize(size);
    QApplication::processEvents();
    const int w = browser->width();
    const int h = browser->height();
    auto *box = browser->findChild<QComboBox *>("cboAddress");
    auto *view = browser->findChild<QWidget *>("brwWebBrowser");
    QCOMPARE(box->width(), std::max(0, w - twips::toPixels(100)));
    QCOMPARE(view->width(), std::max(0, w - twips::toPixels(100)));
    QCOMPARE(view->height(), std::max(0, h - twips::toPixels(540 + 675) - twips::toPixels(100)));
    QCOMPARE(view->pos(), QPoint(twips::toPixels(50), twips::toPixels(1215)));
    QCOMPARE(box->pos(), QPoint(twips::toPixels(50), twips::toPixels(330)));
    QCOMPARE(browser->findChild<QWidget *>("picAddress")->width(), w);
    QCOMPARE(browser->findChild<QToolBar *>("tbToolBar")->width(), w);
}

void TestBrowser::emptyStartingAddress()
{
    frmBrowser *browser = open(QString());
    QCOMPARE(browser->windowTitle(), QStringLiteral("MS Internet Browser"));
    auto *box = browser->findChild<QComboBox *>("cboAddress");
    QCOMPARE(box->currentText(), QStringLiteral("Combo1"));
    QCOMPARE(box->count(), 0);
    QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
    QCOMPARE(browser->browser()->LocationURL(), QString());
    QCOMPARE(browser->size(), twips::rect(0, 0, 9195, 7860).size());

    // The label's access key moves to the address box.
    QVERIFY(QTest::qWaitForWindowActive(browser));
    QTest::keyClick(browser, Qt::Key_A, Qt::AltModifier);
    QVERIFY(box->hasFocus() || box->lineEdit()->hasFocus());

    const QStringList keys = {"Back", "Forward", "Stop", "Refresh", "Home", "Search"};
    QStringList seen;
    for (QAction *action : browser->findChild<QToolBar *>("tbToolBar")->actions()) {
        seen << action->objectName();
        QCOMPARE(action->toolTip(), action->objectName());
        QCOMPARE(action->icon().availableSizes().value(0), QSize(24, 24));
    }
    QCOMPARE(seen, keys);
}

// Neither a typed address nor a page may reach the local file system.
void TestBrowser::noLocalFiles()
{
    frmBrowser *browser = open(m_server.url("/a"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page A"), LoadTimeout);
    browser->findChild<QComboBox *>("cboAddress")->lineEdit()->setText(QStringLiteral("file:///etc/hostname"));
    browser->cboAddress_Click();
    QTRY_VERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
    QCOMPARE(browser->browser()->LocationURL(), m_server.url("/a"));
    // A page's own link is refused too.
    browser->findChild<QWebEngineView *>()->page()->runJavaScript(
        "location.href = 'file:///etc/hostname'");
    browser->browser()->Navigate(m_server.url("/b"));
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QStringLiteral("Page B"), LoadTimeout);
}

int main(int argc, char *argv[])
{
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    TestBrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser.moc"
