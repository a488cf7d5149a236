#include "app/form1.h"
#include "platform/textbox.h"

#include <QClipboard>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// The clipboard of a real X display, with xclip as the other program: text leaves the editor
// in the code page's characters and comes back as the same bytes. Run under Xvfb by CTest;
// skipped where there is no X display or no xclip.
class TestClipboardX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void copyOut();
    void pasteIn();

private:
    // Runs xclip with the event loop going, so that this program can answer it as the
    // clipboard's owner.
    QByteArray xclip(const QStringList &arguments, const QByteArray &input = QByteArray());
};

void TestClipboardX11::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display (CTest runs this under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
        QSKIP("xclip is not installed");
}

QByteArray TestClipboardX11::xclip(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(QStringLiteral("xclip"), QStringList{"-selection", "clipboard"} + arguments);
    if (!process.waitForStarted())
        return "(xclip did not start)";
    process.write(input);
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        return "(xclip did not end)";
    return process.readAllStandardOutput();
}

void TestClipboardX11::copyOut()
{
    Form1 form;
    form.show();
    form.editor()->setText("caf\xe9 \x80 \x9c");
    form.editor()->setSelection(0, 8);
    form.findChild<QAction *>("EditCopy")->trigger();
    QCOMPARE(QString::fromUtf8(xclip({"-o"})), QString::fromUtf8("café € œ"));
}

void TestClipboardX11::pasteIn()
{
    Form1 form;
    form.show();
    // xclip stays behind to serve the text it was given; it ends when the clipboard changes.
    QProcess::startDetached(QStringLiteral("sh"), {"-c", "printf 'Œuvre 10€ ж' | xclip -selection clipboard -i"});
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QString::fromUtf8("Œuvre 10€ ж"), 10000);
    form.findChild<QAction *>("EditPaste")->trigger();
    QCOMPARE(form.editor()->text(), QByteArray("\x8cuvre 10\x80 ?"));
}

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboard_x11.moc"
