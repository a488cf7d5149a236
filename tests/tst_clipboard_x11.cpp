#include "platform/textbox.h"
#include "support.h"

#include <QClipboard>
#include <QProcess>
#include <QStandardPaths>

// The clipboard of a real X display, with xclip as the other program: text leaves the editor
// in the code page's characters and comes back as the same bytes. Run under Xvfb by CTest;
// skipped where there is no X display or no xclip.
class TestClipboardX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")
            || QStandardPaths::findExecutable("xclip").isEmpty())
            QSKIP("needs an X display (CTest runs this under xvfb-run) and xclip");
    }

    void copyOut()
    {
        Form1 form;
        form.show();
        form.editor()->setText("caf\xe9 \x80 \x9c");
        form.editor()->setSelection(0, 8);
        run(form, "EditCopy");
        // xclip runs with the event loop going, so that this program can answer it as the owner.
        QProcess xclip;
        xclip.start("xclip", {"-selection", "clipboard", "-o"});
        QVERIFY(QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000));
        QCOMPARE(QString::fromUtf8(xclip.readAllStandardOutput()), QStringLiteral("café € œ"));
    }

    void pasteIn()
    {
        Form1 form;
        form.show();
        // xclip stays behind to serve the text it was given; it ends when the clipboard changes.
        QProcess::startDetached("sh", {"-c", "printf 'Œuvre 10€ ж' | xclip -selection clipboard -i"});
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("Œuvre 10€ ж"), 10000);
        run(form, "EditPaste");
        QCOMPARE(form.editor()->text(), QByteArray("\x8cuvre 10\x80 ?"));
    }
};

QTEST_MAIN(TestClipboardX11)
#include "tst_clipboard_x11.moc"
