#include "app/form1.h"
#include "platform/textbox.h"
#include "support.h"

#include <QProcess>
#include <QTest>

// What a screen reader hears of the editor, through the real accessibility bus (see
// accessibility/run.sh): typed text once it is in, with the text, a deletion, caret moves.
class TestAtSpi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_listener.setProcessChannelMode(QProcess::MergedChannels);
        const QString listener = QStringLiteral(TANSY_SOURCE_DIR "/tests/accessibility/listen.py");
        m_listener.start("/usr/bin/python3", {listener});
        QVERIFY(m_listener.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(heard().contains("ready\n"), 10000);
    }
    void cleanupTestCase() { m_listener.kill(); m_listener.waitForFinished(); }

    void typingIsHeard()
    {
        Form1 form;
        TextBox &editor = *form.editor();
        editor.setText("ab");
        editor.setSelection(2, 0);
        QWidget *input = focusIn(form);
        QTest::keyClicks(input, "xy");
        QTRY_VERIFY_WITH_TIMEOUT(heard().contains("object:text-changed:insert 3 1 'y'"), 5000);
        QVERIFY(heard().contains("object:text-changed:insert 2 1 'x'"));
        QTest::keyClick(input, Qt::Key_Backspace);
        QTRY_VERIFY_WITH_TIMEOUT(heard().contains("object:text-changed:delete 3 1 'y'"), 5000);
        QTest::keyClick(input, Qt::Key_Left);
        QTRY_VERIFY_WITH_TIMEOUT(heard().contains("object:text-caret-moved 2 0"), 5000);
    }

private:
    QByteArray heard()
    {
        m_heard += m_listener.readAll();
        return m_heard;
    }
    QProcess m_listener;
    QByteArray m_heard;
};

QTEST_MAIN(TestAtSpi)
#include "tst_atspi.moc"
