#include "app/form1.h"
#include "support.h"
#include "help/frmabout.h"
#include "help/helpcommands.h"
#include "platform/programstart.h"
#include "platform/registry.h"
#include "platform/twips.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QByteArray MsInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray LocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString Unavailable = QStringLiteral("System Information Is Unavailable At This Time");

// The About box of a window whose registry the test fills and whose program starts it sees.
struct AboutWindow
{
    explicit AboutWindow(const QString &root) : form(root)
    {
        auto owned = std::make_unique<MemoryRegistry>();
        registry = owned.get();
        form.help()->setRegistry(std::move(owned));
        form.help()->setProgramStarter([this](const QString &program) {
            started << program;
            return QFileInfo(program).isFile();  // as a real start fails for a missing file
        });
        form.findChild<QAction *>("mnuAbout")->trigger();
        about = form.help()->about();
    }

    Form1 form;
    MemoryRegistry *registry = nullptr;
    frmAbout *about = nullptr;
    QStringList started;
};

}

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getKeyValue_data()
    {
        QTest::addColumn<bool>("keyThere");
        QTest::addColumn<bool>("valueThere");
        QTest::addColumn<quint32>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("keyVal");

        const QByteArray long1023(1023, 'x');
        QTest::newRow("string with its final NUL") << true << true << Registry::REG_SZ
            << QByteArray("C:\\TOOLS\0", 9) << true << "C:\\TOOLS";
        QTest::newRow("string stored without one") << true << true << Registry::REG_SZ
            << QByteArray("C:\\TOOLS") << true << "C:\\TOOLS";
        QTest::newRow("1024 bytes, NUL last") << true << true << Registry::REG_SZ
            << long1023 + '\0' << true << QString::fromLatin1(long1023);
        QTest::newRow("1024 bytes, no NUL") << true << true << Registry::REG_SZ
            << long1023 + 'y' << true << QString::fromLatin1(long1023 + 'y');
        QTest::newRow("1025 bytes: too long") << true << true << Registry::REG_SZ
            << QByteArray(1025, 'x') << false << "";
        QTest::newRow("code page text") << true << true << Registry::REG_SZ
            << QByteArray("caf\xe9\x80") << true << QString::fromUtf8("café€");
        QTest::newRow("DWORD 0x105") << true << true << Registry::REG_DWORD
            << QByteArray("\x05\x01\x00\x00", 4) << true << "&h000105";
        QTest::newRow("DWORD 0x12AB00FF") << true << true << Registry::REG_DWORD
            << QByteArray("\xff\x00\xab\x12", 4) << true << "&h12AB00FF";
        QTest::newRow("expandable string: KeyVal unchanged") << true << true << Registry::REG_EXPAND_SZ
            << QByteArray("%SystemRoot%\0", 13) << true << "before";
        QTest::newRow("missing key") << false << false << Registry::REG_SZ << QByteArray() << false << "";
        QTest::newRow("missing value") << true << false << Registry::REG_SZ << QByteArray() << false << "";
    }

    // Whatever happens, the key is closed once before GetKeyValue returns.
    void getKeyValue()
    {
        QFETCH(bool, keyThere);
        QFETCH(bool, valueThere);
        QFETCH(quint32, type);
        QFETCH(QByteArray, data);
        QFETCH(bool, result);
        QFETCH(QString, keyVal);

        TempDrive drive;
        AboutWindow w(drive.root());
        if (keyThere)
            w.registry->setValue(Registry::HKEY_LOCAL_MACHINE, MsInfoKey,
                                 valueThere ? "PATH" : "OTHER", {type, data});
        QString value = QStringLiteral("before");
        QCOMPARE(w.about->GetKeyValue(Registry::HKEY_LOCAL_MACHINE, QString::fromLatin1(MsInfoKey),
                                      QStringLiteral("PATH"), value),
                 result);
        QCOMPARE(value, keyVal);
        QCOMPARE(w.registry->closed(), 1);
        QCOMPARE(w.registry->openNow(), 0);
    }

    void startSysInfo_data()
    {
        QTest::addColumn<QString>("first");      // type:data of PATH, or "" for no key
        QTest::addColumn<QString>("second");     // type:data of MSINFO, or ""
        QTest::addColumn<QString>("toolAt");     // file made below the root, or ""
        QTest::addColumn<QString>("started");    // what is started, below the root; "" for nothing
        QTest::addColumn<bool>("message");

        QTest::newRow("first key names the tool") << "1:C:\\Tools\\msinfo32.exe" << "" << "Tools/msinfo32.exe"
                                                  << "Tools/msinfo32.exe" << false;
        QTest::newRow("first key names a missing file; second not consulted")
            << "1:C:\\Tools\\gone.exe" << "1:C:\\Sys" << "Sys/MSINFO32.EXE" << "Tools/gone.exe" << true;
        QTest::newRow("second key, tool there") << "" << "1:C:\\Sys" << "Sys/MSINFO32.EXE"
                                                << "Sys/MSINFO32.EXE" << false;
        QTest::newRow("second key, no tool") << "" << "1:C:\\Sys" << "" << "" << true;
        QTest::newRow("second key names a folder called MSINFO32.EXE") << "" << "1:C:\\Sys"
                                                                        << "Sys/MSINFO32.EXE/" << "" << true;
        QTest::newRow("type 2 from the first key: empty command") << "2:C:\\x.exe" << "" << "" << "" << true;
        QTest::newRow("type 2 from the second key: the root folder") << "" << "2:C:\\Sys" << "MSINFO32.EXE"
                                                                      << "MSINFO32.EXE" << false;
        QTest::newRow("size 0 in the first key ends the search") << "1:" << "1:C:\\Sys" << "Sys/MSINFO32.EXE"
                                                                 << "" << true;
        QTest::newRow("no keys at all") << "" << "" << "" << "" << true;
    }
    void startSysInfo()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, toolAt);
        QFETCH(QString, started);
        QFETCH(bool, message);

        TempDrive drive;
        if (toolAt.endsWith('/'))
            QDir().mkpath(drive.path(toolAt));
        else if (!toolAt.isEmpty())
            drive.write(toolAt, "tool");
        AboutWindow w(drive.root());
        for (const auto &[key, name, spec] : {std::tuple{MsInfoKey, "PATH", first}, {LocationKey, "MSINFO", second}})
            if (!spec.isEmpty())
                w.registry->setValue(Registry::HKEY_LOCAL_MACHINE, key, name,
                                     {spec.section(':', 0, 0).toUInt(), spec.section(':', 1).toLatin1()});
        ModalAnswer box(QMessageBox::Ok);
        w.about->findChild<QPushButton *>("cmdSysInfo")->click();
        QCOMPARE(box.plainText(), message ? Unavailable : QStringLiteral("(no box)"));
        QCOMPARE(w.started, started.isEmpty() ? QStringList() : QStringList{drive.path(started)});
        QCOMPARE(w.registry->openNow(), 0);
        if (first == "1:")
            QCOMPARE(w.registry->opened(), 1);
        QVERIFY(w.about->isVisible());  // the About box stays open
    }

    // The load step's texts, the design, one box at a time, not modal and without an owner.
    void window()
    {
        TempDrive drive;
        AboutWindow w(drive.root());
        QCOMPARE(w.about->windowTitle(), QStringLiteral("About Tansy's INI Editor 3.0"));
        QVERIFY(w.about->findChild<QLabel *>("lblDescription")->text().contains("informtion on keeping PWS"));
        QVERIFY(!w.about->isModal() && !w.about->parentWidget());
        QVERIFY(w.about->findChild<QPushButton *>("cmdOK")->isDefault());
        QCOMPARE(w.about->size(), twips::rect(0, 0, 5730, 3555).size());
        QCOMPARE(w.about->minimumSize(), w.about->maximumSize());
        verifyDesign(w.about, {{"picIcon", "", {240, 240, 540, 540}},
                               {"lblTitle", "Tansy's INI Editor 3.0", {1050, 240, 3885, 480}},
                               {"lblVersion", "Version 3.0.3", {1050, 780, 3885, 225}},
                               {"cmdOK", "OK", {4245, 2625, 1260, 345}},
                               {"cmdSysInfo", "&System Info...", {4260, 3075, 1245, 345}}});
        QCOMPARE(w.about->findChild<QWidget *>("lblDescription")->geometry(), twips::rect(1050, 1125, 3885, 1170));
        QCOMPARE(w.about->findChild<QWidget *>("lblDisclaimer")->geometry(), twips::rect(255, 2625, 3870, 825));
        QCOMPARE(w.about->findChild<QLabel *>("lblDisclaimer")->text(), QString());
        w.form.findChild<QAction *>("mnuAbout")->trigger();
        QCOMPARE(w.form.help()->about(), w.about);
        int abouts = 0;
        for (QWidget *top : QApplication::topLevelWidgets())
            abouts += qobject_cast<frmAbout *>(top) != nullptr;
        QCOMPARE(abouts, 1);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "OK";
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("close box") << "close box";
    }
    void closing()
    {
        QFETCH(QString, how);
        TempDrive drive;
        AboutWindow w(drive.root());
        QPointer<frmAbout> first = w.about;
        first->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(first));
        if (how == "OK")
            first->findChild<QPushButton *>("cmdOK")->click();
        else if (how == "close box")
            first->close();
        else
            QTest::keyClick(first, how == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
        QTRY_VERIFY(first.isNull());  // destroyed, not hidden

        w.form.findChild<QAction *>("mnuAbout")->trigger();
        QVERIFY(w.form.help()->about());
        QCOMPARE(w.form.help()->about()->findChild<QLabel *>("lblVersion")->text(),
                 QStringLiteral("Version 3.0.3"));
    }

    // A registry text with shell syntax names one program of that odd name: nothing else runs.
    void programStartUsesNoShell()
    {
        TempDrive drive;
        const QString marker = drive.path("ran");
        const QString pwned = drive.path("pwned");
        const QString tool = drive.write("tool & touch pwned.sh",
                                         "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        QVERIFY(!programstart::start(QStringLiteral("true; touch ") + pwned));
        QVERIFY(!programstart::start(drive.path("missing.exe") + QStringLiteral(" & touch ") + pwned));
        QVERIFY(!programstart::start(QString()));
        QVERIFY(programstart::start(tool));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);
        QVERIFY(!QFile::exists(pwned));
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
