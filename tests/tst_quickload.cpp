#include "app/form1.h"
#include "document/documentcommands.h"
#include "modalanswer.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"
#include "privileges.h"
#include "tempdrive.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestQuickLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loads_data();
    void loads();
    void keepsEveryByte_data();
    void keepsEveryByte();
    void namesInAnyCase_data();
    void namesInAnyCase();
    void fails_data();
    void fails();
    void failureKeepsEdits();
    void failureDoesNotHinderLaterLoads();
    void loadIsNoUndoStep();
    void largeFile();

private:
    void addRows();
};

namespace {

void click(Form1 &form, const QString &button)
{
    form.findChild<QPushButton *>(button)->click();
}

}

void TestQuickLoad::addRows()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("failureText");
    QTest::newRow("Win.INI") << "Command1" << "/windows/win.ini" << "File Open ERROR SORRY! ";
    QTest::newRow("System.INI") << "Command2" << "/windows/system.ini" << "File Open ERROR SORRY! ";
    QTest::newRow("Progman.INI") << "Command3" << "/windows/progman.ini" << "File Open Error.. SORRY! ";
}

void TestQuickLoad::loads_data()
{
    addRows();
}

void TestQuickLoad::loads()
{
    QFETCH(QString, button);
    QFETCH(QString, path);

    TempDrive drive;
    const QByteArray bytes = "[windows]\r\nload=\r\nrun=" + button.toLatin1() + "\r\n";
    drive.write(path.mid(1), bytes);
    Form1 form(drive.root());
    form.editor()->setText("whatever was there");

    click(form, button);

    QCOMPARE(form.editor()->text(), bytes);
    QCOMPARE(form.documents()->currentFileName(), path);
    QCOMPARE(form.commonDialog()->FileName, path);
    QCOMPARE(form.commonDialog()->Flags, quint32(4096));
}

void TestQuickLoad::keepsEveryByte_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = char(i);
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("no line end at all") << QByteArray("[boot]");
    QTest::newRow("lone LF and lone CR") << QByteArray("a\nb\rc\r\nd\n\r");
    QTest::newRow("NUL in the middle") << QByteArray("shell=\0evil.exe\r\n", 17);
    QTest::newRow("0x80-0xFF") << QByteArray("caf\xe9 \x80 \x81 \x9d \xff");
    QTest::newRow("every byte value") << every;
}

void TestQuickLoad::keepsEveryByte()
{
    QFETCH(QByteArray, bytes);

    TempDrive drive;
    drive.write("windows/system.ini", bytes);
    Form1 form(drive.root());
    click(form, "Command2");
    QCOMPARE(form.editor()->text(), bytes);
    QCOMPARE(form.editor()->length(), bytes.size());
}

// An old disk holds the names in capitals; the quick-load finds them as the old platform did,
// and Save writes back to the file it found, never to a second one beside it.
void TestQuickLoad::namesInAnyCase_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("path");
    QTest::newRow("WINDOWS/WIN.INI") << "Command1" << "WINDOWS/WIN.INI" << "/windows/win.ini";
    QTest::newRow("Windows/System.Ini") << "Command2" << "Windows/System.Ini"
                                        << "/windows/system.ini";
    QTest::newRow("windows/PROGMAN.INI") << "Command3" << "windows/PROGMAN.INI"
                                         << "/windows/progman.ini";
}

void TestQuickLoad::namesInAnyCase()
{
    QFETCH(QString, button);
    QFETCH(QString, onDisk);
    QFETCH(QString, path);

    TempDrive drive;
    drive.write(onDisk, "[old]\r\n");
    Form1 form(drive.root());
    click(form, button);
    QCOMPARE(form.editor()->text(), QByteArray("[old]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), path);

    QTest::keyClicks(form.editor()->inputWidget(), "new");
    form.findChild<QAction *>(QStringLiteral("FileSave"))->trigger();
    QCOMPARE(drive.read(onDisk), QByteArray("new[old]\r\n"));
    QCOMPARE(QDir(drive.path(QFileInfo(onDisk).path())).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(onDisk).fileName()});
    QCOMPARE(QDir(drive.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QFileInfo(onDisk).path()});
}

void TestQuickLoad::fails_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("failureText");
    QTest::addColumn<QString>("obstacle");

    const struct { const char *button, *path, *text; } rows[] = {
        {"Command1", "/windows/win.ini", "File Open ERROR SORRY! "},
        {"Command2", "/windows/system.ini", "File Open ERROR SORRY! "},
        {"Command3", "/windows/progman.ini", "File Open Error.. SORRY! "},
    };
    for (const auto &row : rows) {
        for (const char *obstacle : {"missing", "folder", "FIFO", "no permission"}) {
            QTest::addRow("%s, %s", row.button, obstacle)
                << row.button << row.path << row.text << obstacle;
        }
    }
}

void TestQuickLoad::fails()
{
    QFETCH(QString, button);
    QFETCH(QString, path);
    QFETCH(QString, failureText);
    QFETCH(QString, obstacle);

    TempDrive drive;
    const QString file = drive.path(path.mid(1));
    QDir().mkpath(drive.path("windows"));
    if (obstacle == "folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (obstacle == "FIFO") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else if (obstacle == "no permission") {
        drive.write(path.mid(1), "[windows]\r\n");
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        // Root reads anything: the load then runs as another user (see below).
        ::chmod(QFile::encodeName(drive.root()).constData(), 0755);
        ::chmod(QFile::encodeName(drive.path("windows")).constData(), 0755);
    }

    // First a successful load of another file, so there is a name to lose.
    const bool first = button == "Command1";
    const QString before = first ? "Command2" : "Command1";
    const QByteArray beforeBytes = "[boot]\r\nshell=Explorer.exe\r\n";
    drive.write(first ? "windows/system.ini" : "windows/win.ini", beforeBytes);
    Form1 form(drive.root());
    click(form, before);
    QVERIFY(!form.documents()->currentFileName().isEmpty());

    ModalAnswer box(QMessageBox::Ok);
    {
        std::unique_ptr<ActAs> user;
        if (obstacle == "no permission" && ActAs::possible())
            user = std::make_unique<ActAs>(65534, 65534);
        click(form, button);
    }

    QVERIFY(box.answered());
    QCOMPARE(box.seen().text, failureText + path);
    QCOMPARE(box.seen().title, QStringLiteral("Tansy's INI Editor 3.0"));
    QCOMPARE(box.seen().icon, QMessageBox::NoIcon);
    QCOMPARE(box.seen().buttons, QMessageBox::Ok);
    QCOMPARE(form.editor()->text(), beforeBytes);
    QCOMPARE(form.documents()->currentFileName(), QString());
    QCOMPARE(form.commonDialog()->FileName, path);
    QCOMPARE(form.commonDialog()->Flags, quint32(4096));
}

// Unsaved edits stay when a load fails, with their undo steps when the file was not there,
// and go without a question when a load succeeds.
void TestQuickLoad::failureKeepsEdits()
{
    TempDrive drive;
    Form1 form(drive.root());
    form.show();
    QTest::keyClicks(form.editor()->inputWidget(), "my edits");
    {
        ModalAnswer box(QMessageBox::Ok);
        click(form, "Command3");
        QVERIFY(box.answered());
    }
    QCOMPARE(form.editor()->text(), QByteArray("my edits"));
    QVERIFY(form.editor()->isUndoAvailable());

    drive.write("windows/progman.ini", "[Groups]\r\n");
    click(form, "Command3");
    QCOMPARE(form.editor()->text(), QByteArray("[Groups]\r\n"));
    form.close();
}

void TestQuickLoad::failureDoesNotHinderLaterLoads()
{
    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    for (int i = 0; i < 3; ++i) {
        ModalAnswer box(QMessageBox::Ok);
        click(form, "Command2");
        QVERIFY(box.answered());
    }
    click(form, "Command1");
    QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));
    QCOMPARE(form.documents()->currentFileName(), QStringLiteral("/windows/win.ini"));
}

// Undo after a load must not bring back the previous document.
void TestQuickLoad::loadIsNoUndoStep()
{
    TempDrive drive;
    drive.write("windows/win.ini", "[windows]\r\n");
    Form1 form(drive.root());
    form.show();
    QTest::keyClicks(form.editor()->inputWidget(), "old text");
    QVERIFY(form.editor()->isUndoAvailable());

    click(form, "Command1");
    QVERIFY(!form.editor()->isUndoAvailable());
    form.editor()->undo();
    QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));

    QTest::keyClicks(form.editor()->inputWidget(), "x");
    form.editor()->undo();
    QCOMPARE(form.editor()->text(), QByteArray("[windows]\r\n"));
    form.close();
}

// Tens of megabytes with long lines: every byte arrives, and the window still paints and
// takes keys afterwards.
void TestQuickLoad::largeFile()
{
    QByteArray bytes;
    bytes.reserve(40 << 20);
    for (int i = 0; bytes.size() < (40 << 20); ++i) {
        bytes += "[section" + QByteArray::number(i) + "]\r\nkey=" + QByteArray(i % 300, 'v')
            + "\xe9\r\n";
    }
    TempDrive drive;
    drive.write("windows/system.ini", bytes);
    Form1 form(drive.root());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    click(form, "Command2");
    QCOMPARE(form.editor()->length(), bytes.size());
    QVERIFY(form.editor()->text() == bytes);
    QVERIFY(!form.grab().isNull());
    QTest::keyClicks(form.editor()->inputWidget(), "!");
    QCOMPARE(form.editor()->length(), bytes.size() + 1);
    QCOMPARE(form.editor()->text().front(), '!');
    form.close();
}

QTEST_MAIN(TestQuickLoad)
#include "tst_quickload.moc"
