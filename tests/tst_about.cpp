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

// Whether the key and its value are there, the value's type and bytes; then GetKeyValue's
// result and KeyVal.
struct KeyValue { bool keyThere, valueThere; quint32 type; QByteArray data; bool result; QString keyVal; };
struct SysInfo { QString first, second, toolAt, started; bool message; };

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
    // Whatever happens, the key is closed once before GetKeyValue returns. The texts of the
    // value types are the fuzz target keyvalue's (CTest replays its corpus).
    void getKeyValue_data()
    {
        const QByteArray long1023(1023, 'x');
        const quint32 sz = Registry::REG_SZ, dword = Registry::REG_DWORD;
        table<KeyValue>({{"1024 bytes, NUL last", {true, true, sz, long1023 + '\0', true, long1023}},
                         {"1024 bytes, no NUL", {true, true, sz, long1023 + 'y', true, long1023 + 'y'}},
                         {"1025 bytes: too long", {true, true, sz, QByteArray(1025, 'x'), false, ""}},
                         {"DWORD 0x105", {true, true, dword, QByteArray("\x05\x01\x00\x00", 4), true, "&h000105"}},
                         {"missing key", {false, false, sz, "", false, ""}},
                         {"missing value", {true, false, sz, "", false, ""}}});
    }
    void getKeyValue()
    {
        const KeyValue &r = row<KeyValue>();
        TempDrive drive;
        AboutWindow w(drive.root());
        if (r.keyThere)
            w.registry->setValue(Registry::HKEY_LOCAL_MACHINE, MsInfoKey, r.valueThere ? "PATH" : "OTHER",
                                 {r.type, r.data});
        QString value = QStringLiteral("before");
        QCOMPARE(w.about->GetKeyValue(Registry::HKEY_LOCAL_MACHINE, QString::fromLatin1(MsInfoKey),
                                      QStringLiteral("PATH"), value),
                 r.result);
        QCOMPARE(value, r.keyVal);
        QCOMPARE(w.registry->closed(), 1);
        QCOMPARE(w.registry->openNow(), 0);
    }

    // The two keys' PATH and MSINFO values ("type:data", "" for no key), the file made below
    // the root ("" none; "/" at the end: a folder); what is started ("" nothing), and whether
    // the box says the tool is unavailable.
    void startSysInfo_data()
    {
        table<SysInfo>({{"first key names the tool", {"1:C:\\Tools\\msinfo32.exe", "", "Tools/msinfo32.exe", "Tools/msinfo32.exe", false}},
                        {"first key names a missing file; second not consulted", {"1:C:\\Tools\\gone.exe", "1:C:\\Sys", "Sys/MSINFO32.EXE", "Tools/gone.exe", true}},
                        {"second key, tool there", {"", "1:C:\\Sys", "Sys/MSINFO32.EXE", "Sys/MSINFO32.EXE", false}},
                        {"second key, no tool", {"", "1:C:\\Sys", "", "", true}},
                        {"second key names a folder called MSINFO32.EXE", {"", "1:C:\\Sys", "Sys/MSINFO32.EXE/", "", true}},
                        {"type 2 from the first key: empty command", {"2:C:\\x.exe", "", "", "", true}},
                        {"type 2 from the second key: the root folder", {"", "2:C:\\Sys", "MSINFO32.EXE", "MSINFO32.EXE", false}},
                        {"size 0 in the first key ends the search", {"1:", "1:C:\\Sys", "Sys/MSINFO32.EXE", "", true}},
                        {"no keys at all", {"", "", "", "", true}}});
    }
    void startSysInfo()
    {
        const auto &[first, second, toolAt, started, message] = row<SysInfo>();
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
        verifyDesign(w.about,
                     {{"picIcon", "", {240, 240, 540, 540}},
                      {"lblTitle", "Tansy's INI Editor 3.0", {1050, 240, 3885, 480}},
                      {"lblVersion", "Version 3.0.3", {1050, 780, 3885, 225}},
                      {"cmdOK", "OK", {4245, 2625, 1260, 345}},
                      {"cmdSysInfo", "&System Info...", {4260, 3075, 1245, 345}}});
        QCOMPARE(w.about->findChild<QWidget *>("lblDescription")->geometry(), twips::rect(1050, 1125, 3885, 1170));
        QCOMPARE(w.about->findChild<QWidget *>("lblDisclaimer")->geometry(), twips::rect(255, 2625, 3870, 825));
        run(w.form, "mnuAbout");
        QCOMPARE(w.form.help()->about(), w.about);
        const QWidgetList tops = QApplication::topLevelWidgets();
        const auto isAbout = [](QWidget *w) { return qobject_cast<frmAbout *>(w) != nullptr; };
        QCOMPARE(std::count_if(tops.begin(), tops.end(), isAbout), 1);
    }

    void closing_data()  // a key, or 0: OK clicked, -1: the close box
    {
        table<int>({{"OK", 0}, {"Enter", Qt::Key_Return}, {"Escape", Qt::Key_Escape}, {"close box", -1}});
    }
    void closing()
    {
        const int key = row<int>();
        TempDrive drive;
        AboutWindow w(drive.root());
        QPointer<frmAbout> first = w.about;
        first->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(first));
        if (key > 0)
            QTest::keyClick(first, Qt::Key(key));
        else if (key < 0)
            first->close();
        else
            first->findChild<QPushButton *>("cmdOK")->click();
        QTRY_VERIFY(first.isNull());  // destroyed, not hidden
        run(w.form, "mnuAbout");
        QCOMPARE(w.form.help()->about()->findChild<QLabel *>("lblVersion")->text(), QStringLiteral("Version 3.0.3"));
    }

    // A registry text with shell syntax names one program of that odd name: nothing else runs.
    void programStartUsesNoShell()
    {
        TempDrive drive;
        const QString marker = drive.path("ran"), pwned = drive.path("pwned");
        const QString tool = drive.write("tool & touch pwned.sh", "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
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
