#include "platform/safesave.h"
#include "privileges.h"
#include "tempdrive.h"

#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

class TestSafeSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newFileGetsDefaultPermissions();
    void keepsPermissionBits_data();
    void keepsPermissionBits();
    void keepsOwnerAndGroup();
    void rewritesInPlaceWhenOwnerCannotBeKept();
    void hardLinksStayLinked();
    void symbolicLinks_data();
    void symbolicLinks();
    void failuresLeaveTheOldFile_data();
    void failuresLeaveTheOldFile();
    void diskFull_data();
    void diskFull();
    void readOnlyFileSystem();
    void writableFileInAFolderNotWritable_data();
    void writableFileInAFolderNotWritable();
    void killedWhileSaving();
};

namespace {

const QByteArray OldBytes = "[windows]\r\nload=\r\nrun=\r\n";
const QByteArray NewBytes("[windows]\r\nload=\r\nrun=\xe9\0\r\n", 25);

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Everything in the folder, hidden files included: no temporary file may stay behind.
QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                  | QDir::NoDotAndDotDot, QDir::Name);
}

}

void TestSafeSave::newFileGetsDefaultPermissions()
{
    TempDrive drive;
    const mode_t mask = ::umask(0022);
    QVERIFY(safesave::write(drive.path("new.ini"), NewBytes).ok);
    ::umask(mask);
    QCOMPARE(drive.read("new.ini"), NewBytes);
    QCOMPARE(statOf(drive.path("new.ini")).st_mode & 07777, mode_t(0644));
    QCOMPARE(folderEntries(drive.root()), QStringList{"new.ini"});
}

void TestSafeSave::keepsPermissionBits_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0640") << 0640;
    QTest::newRow("0600") << 0600;
    QTest::newRow("0755") << 0755;
    QTest::newRow("0444, read-only file") << 0444;
}

void TestSafeSave::keepsPermissionBits()
{
    QFETCH(int, mode);
    TempDrive drive;
    const QString file = drive.write("win.ini", OldBytes);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), mode_t(mode)), 0);

    const safesave::Result result = safesave::write(file, NewBytes);
    if (mode == 0444 && ::geteuid() != 0) {
        // Not the owner's to write: a user cannot replace it, root may.
        QVERIFY(!result.ok);
        QCOMPARE(drive.read("win.ini"), OldBytes);
        return;
    }
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(drive.read("win.ini"), NewBytes);
    QCOMPARE(int(statOf(file).st_mode & 07777), mode);
}

void TestSafeSave::keepsOwnerAndGroup()
{
    if (!ActAs::possible())
        QSKIP("giving a file to another owner needs root");
    TempDrive drive;
    const QString file = drive.write("win.ini", OldBytes);
    QCOMPARE(::chown(QFile::encodeName(file).constData(), 1234, 5678), 0);
    const ino_t inode = statOf(file).st_ino;

    QVERIFY(safesave::write(file, NewBytes).ok);
    QCOMPARE(drive.read("win.ini"), NewBytes);
    QCOMPARE(statOf(file).st_uid, uid_t(1234));
    QCOMPARE(statOf(file).st_gid, gid_t(5678));
    QVERIFY(statOf(file).st_ino != inode);  // replaced by rename
}

// A user saving a file that another user owns (but lets everyone write): a rename would make
// the file the saver's own, so it is rewritten in place and keeps its owner.
void TestSafeSave::rewritesInPlaceWhenOwnerCannotBeKept()
{
    if (!ActAs::possible())
        QSKIP("a file of another owner is made as root");
    TempDrive drive;
    QCOMPARE(::chmod(QFile::encodeName(drive.root()).constData(), 0777), 0);
    const QString file = drive.write("win.ini", OldBytes);
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    QCOMPARE(::chown(QFile::encodeName(file).constData(), 4321, 4321), 0);
    const ino_t inode = statOf(file).st_ino;

    {
        ActAs user(1234, 1234);
        const safesave::Result result = safesave::write(file, NewBytes);
        QVERIFY2(result.ok, qPrintable(result.error));
    }
    QCOMPARE(drive.read("win.ini"), NewBytes);
    QCOMPARE(statOf(file).st_uid, uid_t(4321));
    QCOMPARE(statOf(file).st_ino, inode);
    QCOMPARE(folderEntries(drive.root()), QStringList{"win.ini"});
}

void TestSafeSave::hardLinksStayLinked()
{
    TempDrive drive;
    const QString file = drive.write("win.ini", OldBytes);
    QCOMPARE(::link(QFile::encodeName(file).constData(),
                    QFile::encodeName(drive.path("other.ini")).constData()), 0);
    const ino_t inode = statOf(file).st_ino;

    QVERIFY(safesave::write(file, NewBytes).ok);
    QCOMPARE(drive.read("win.ini"), NewBytes);
    QCOMPARE(drive.read("other.ini"), NewBytes);
    QCOMPARE(statOf(file).st_ino, inode);
    QCOMPARE(statOf(file).st_nlink, nlink_t(2));
    QCOMPARE(folderEntries(drive.root()), (QStringList{"other.ini", "win.ini"}));

    // Shorter text: the file is cut to it, not left with a tail of the old one.
    QVERIFY(safesave::write(file, "x").ok);
    QCOMPARE(drive.read("other.ini"), QByteArray("x"));
}

void TestSafeSave::symbolicLinks_data()
{
    QTest::addColumn<QString>("link");      // what is linked: "file", "folder", "chain", "dangling"
    QTest::newRow("link to a file") << "file";
    QTest::newRow("link to a link to a file") << "chain";
    QTest::newRow("folder linked, as /windows to a Wine prefix") << "folder";
    QTest::newRow("link to a file not there yet") << "dangling";
}

void TestSafeSave::symbolicLinks()
{
    QFETCH(QString, link);
    TempDrive drive;
    QString saved;
    QString real;
    const auto symlink = [](const QString &target, const QString &name) {
        return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData());
    };
    if (link == "folder") {
        drive.write("prefix/drive_c/windows/win.ini", OldBytes);
        QCOMPARE(symlink(drive.path("prefix/drive_c/windows"), drive.path("windows")), 0);
        saved = drive.path("windows/win.ini");
        real = drive.path("prefix/drive_c/windows/win.ini");
    } else {
        real = drive.path("real/win.ini");
        if (link != "dangling")
            drive.write("real/win.ini", OldBytes);
        else
            QDir().mkpath(drive.path("real"));
        saved = drive.path("win.ini");
        if (link == "chain") {
            QCOMPARE(symlink("real/win.ini", drive.path("middle.ini")), 0);  // relative
            QCOMPARE(symlink(drive.path("middle.ini"), saved), 0);
        } else {
            QCOMPARE(symlink(real, saved), 0);
        }
    }

    QVERIFY(safesave::write(saved, NewBytes).ok);
    QCOMPARE(QFile(real).size(), NewBytes.size());
    QFile in(real);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), NewBytes);
    QVERIFY(QFileInfo(link == "folder" ? drive.path("windows") : saved).isSymLink());
}

void TestSafeSave::failuresLeaveTheOldFile_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("the name is a folder") << "folder";
    QTest::newRow("no such folder") << "missing folder";
    QTest::newRow("a link loop") << "loop";
    QTest::newRow("a device") << "device";
    QTest::newRow("folder not writable") << "read-only folder";
    QTest::newRow("file and folder not writable") << "no permission";
}

void TestSafeSave::failuresLeaveTheOldFile()
{
    QFETCH(QString, obstacle);
    TempDrive drive;
    const QString file = drive.write("dir/win.ini", OldBytes);
    QString target = file;
    if (obstacle == "folder") {
        target = drive.path("dir/sub");
        QDir().mkpath(target);
    } else if (obstacle == "missing folder") {
        target = drive.path("nowhere/win.ini");
    } else if (obstacle == "loop") {
        target = drive.path("dir/a");
        ::symlink("b", QFile::encodeName(target).constData());
        ::symlink("a", QFile::encodeName(drive.path("dir/b")).constData());
    } else if (obstacle == "device") {
        target = QStringLiteral("/dev/null");
    }

    const QStringList before = folderEntries(drive.path("dir"));
    safesave::Result result;
    if (obstacle == "read-only folder" || obstacle == "no permission") {
        if (!ActAs::possible() && obstacle == "read-only folder")
            QSKIP("acting as another user needs root");
        ::chmod(QFile::encodeName(drive.root()).constData(), 0755);  // others may look in
        ::chmod(QFile::encodeName(drive.path("dir")).constData(), 0555);
        if (obstacle == "no permission")
            ::chmod(QFile::encodeName(file).constData(), 0444);
        if (ActAs::possible()) {
            ActAs nobody(65534, 65534);
            result = safesave::write(target, NewBytes);
        } else {
            result = safesave::write(target, NewBytes);
        }
        ::chmod(QFile::encodeName(drive.path("dir")).constData(), 0755);
    } else {
        result = safesave::write(target, NewBytes);
    }

    QVERIFY(!result.ok);
    QVERIFY(!result.error.isEmpty());
    QCOMPARE(drive.read("dir/win.ini"), OldBytes);
    QCOMPARE(folderEntries(drive.path("dir")), before);
}

void TestSafeSave::diskFull_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("replaced by rename") << false;
    QTest::newRow("rewritten in place") << true;
}

void TestSafeSave::diskFull()
{
    QFETCH(bool, hardLinked);
    TempDrive drive;
    SmallDisk disk(drive.path("disk"), 256 * 1024);
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");

    const QByteArray old(100 * 1024, 'o');
    const QString file = drive.write("disk/win.ini", old);
    if (hardLinked)
        QCOMPARE(::link(QFile::encodeName(file).constData(),
                        QFile::encodeName(drive.path("disk/link.ini")).constData()), 0);
    const QStringList before = folderEntries(drive.path("disk"));

    const safesave::Result result = safesave::write(file, QByteArray(300 * 1024, 'n'));
    QVERIFY(!result.ok);
    QCOMPARE(drive.read("disk/win.ini"), old);
    QCOMPARE(folderEntries(drive.path("disk")), before);

    // What fits is still written.
    QVERIFY(safesave::write(file, QByteArray(50 * 1024, 'n')).ok);
    QCOMPARE(drive.read("disk/win.ini"), QByteArray(50 * 1024, 'n'));
}

void TestSafeSave::readOnlyFileSystem()
{
    TempDrive drive;
    SmallDisk disk(drive.path("disk"), 256 * 1024);
    if (!disk.mounted())
        QSKIP("mounting a small tmpfs needs root");
    const QString file = drive.write("disk/win.ini", OldBytes);
    QVERIFY(disk.makeReadOnly());

    QVERIFY(!safesave::write(file, NewBytes).ok);
    QCOMPARE(drive.read("disk/win.ini"), OldBytes);
}

// A file the user may write, in a folder the user may not: rewritten in place, with the old
// bytes kept in a private temporary file meanwhile, and put back when the write fails.
void TestSafeSave::writableFileInAFolderNotWritable_data()
{
    QTest::addColumn<qsizetype>("newSize");
    QTest::addColumn<rlim_t>("fileSizeLimit");  // 0: none
    QTest::addColumn<bool>("ok");
    QTest::newRow("saved") << qsizetype(1000) << rlim_t(0) << true;
    QTest::newRow("disk full: refused before writing") << qsizetype(300 * 1024) << rlim_t(0) << false;
    // Room enough, but the write stops half-way: the old bytes are written back.
    QTest::newRow("write fails half-way: the old bytes back") << qsizetype(120 * 1024)
                                                              << rlim_t(110 * 1024) << false;
}

void TestSafeSave::writableFileInAFolderNotWritable()
{
    QFETCH(qsizetype, newSize);
    QFETCH(rlim_t, fileSizeLimit);
    QFETCH(bool, ok);
    if (!ActAs::possible())
        QSKIP("acting as another user needs root");
    TempDrive drive;
    SmallDisk disk(drive.path("disk"), 256 * 1024);
    QVERIFY(disk.mounted());
    const QByteArray old(100 * 1024, 'o');
    const QByteArray bytes(newSize, 'n');
    const QString file = drive.write("disk/win.ini", old);
    ::chmod(QFile::encodeName(drive.root()).constData(), 0755);
    ::chmod(QFile::encodeName(drive.path("disk")).constData(), 0555);
    ::chmod(QFile::encodeName(file).constData(), 0666);
    const auto backups = [] {
        return QDir(QDir::tempPath()).entryList({"tansy-ini-editor-backup-*"}, QDir::Files);
    };
    const QStringList backupsBefore = backups();

    safesave::Result result;
    {
        ActAs nobody(65534, 65534);
        struct rlimit before {};
        ::getrlimit(RLIMIT_FSIZE, &before);
        if (fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
            struct rlimit limit = before;
            limit.rlim_cur = fileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        result = safesave::write(file, bytes);
        ::setrlimit(RLIMIT_FSIZE, &before);
    }
    QCOMPARE(result.ok, ok);
    QCOMPARE(drive.read("disk/win.ini"), ok ? bytes : old);
    QCOMPARE(folderEntries(drive.path("disk")), QStringList{"win.ini"});
    QCOMPARE(backups(), backupsBefore);
    ::chmod(QFile::encodeName(drive.path("disk")).constData(), 0755);
}

// Killed at any moment of a save, the file holds the old text or the new one, whole, and
// nothing else is left in the folder. The kills fall at growing amounts of the new text
// written, from none on, read off the temporary file the save writes.
void TestSafeSave::killedWhileSaving()
{
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/savechild");
    const qint64 size = 64 << 20;
    TempDrive drive;
    const QString file = drive.write("win.ini", OldBytes);
    for (const qint64 written : {qint64(0), qint64(1), qint64(16 << 20), qint64(48 << 20)}) {
        QProcess save;
        save.start(child, {file, QString::number(size)});
        QVERIFY(save.waitForStarted());
        // The save's own temporary file is unnamed; its size shows in the disk use of /proc.
        QTRY_VERIFY_WITH_TIMEOUT(written == 0 || [&] {
            const QDir fds(QStringLiteral("/proc/%1/fd").arg(save.processId()));
            for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System))
                if (fd.symLinkTarget().startsWith(drive.root()) && fd.size() >= written)
                    return true;
            return save.state() == QProcess::NotRunning;
        }(), 20000);
        save.kill();
        save.waitForFinished();
        const QByteArray result = drive.read("win.ini");
        QVERIFY2(result == OldBytes || result == QByteArray(size, 'n'),
                 qPrintable(QString::number(result.size())));
        QCOMPARE(folderEntries(drive.root()), QStringList{"win.ini"});
        drive.write("win.ini", OldBytes);
    }
}

QTEST_MAIN(TestSafeSave)
#include "tst_safesave.moc"
