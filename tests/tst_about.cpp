#include "app/form1.h"
#include "help/frmabout.h"
#include "help/helpcommands.h"
#include "platform/programstart.h"
#include "support.h"

#include <QPushButton>

// The About box, and the start of the system information tool it offers. (What the registry
// holds is the fuzz target keyvalue's.)
class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One box at a time, fixed in size, neither modal nor owned; OK ends it.
    void window()
    {
        Form1 form;
        run(form, "mnuAbout");
        QPointer<frmAbout> about = form.help()->about();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        verifyLayout(about, {"cmdOK", "cmdSysInfo"},
                     {"picIcon", "lblTitle", "lblVersion", "lblDescription"});
        QVERIFY(!about->isModal() && !about->parentWidget());
        QCOMPARE(about->minimumSize(), about->maximumSize());
        run(form, "mnuAbout");
        QCOMPARE(form.help()->about(), about);
        const QWidgetList tops = QApplication::topLevelWidgets();
        const auto isAbout = [](QWidget *w) { return qobject_cast<frmAbout *>(w) != nullptr; };
        QCOMPARE(std::count_if(tops.begin(), tops.end(), isAbout), 1);
        clickOn(about->findChild<QPushButton *>("cmdOK"));
        QTRY_VERIFY(about.isNull());  // destroyed, not hidden
    }

    // A registry text with shell syntax names one program of that odd name: nothing else runs.
    void programStartUsesNoShell()
    {
        TempDrive drive;
        const QString marker = drive.path("ran"), pwned = drive.path("pwned");
        const QString tool = drive.write("tool & touch pwned.sh",
                                         "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        QVERIFY(!programstart::start(QStringLiteral("true; touch ") + pwned));
        QVERIFY(
            !programstart::start(drive.path("missing.exe") + QStringLiteral(" & touch ") + pwned));
        QVERIFY(!programstart::start(QString()));
        QVERIFY(programstart::start(tool));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QVERIFY(!QFile::exists(pwned));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
