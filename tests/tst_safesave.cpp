#include "platform/safesave.h"
#include "privileges.h"
#include "tempdrive.h"

#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray OldBytes(100 * 1024, 'o');
const QByteArray NewBytes("[windows]\r\nload=\r\nrun=\xe9\0\r\n", 25);
constexpr unsigned Nobody = 65534;

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

void chmodTo(const QString &path, mode_t mode)
{
    ::chmod(QFile::encodeName(path).constData(), mode);
}

int symlinkTo(const QString &target, const QString &name)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData());
}

// Everything in the folder, hidden files included: no temporary file may stay behind.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QStringList backups()
{
    return QDir(QDir::tempPath()).entryList({"tansy-ini-editor-backup-*"}, QDir::Files);
}

}

class TestSafeSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void save_data();
    void save();
    void killedWhileSaving();
};

// Each row: how the drive is set up around disk/win.ini (a 256 KiB tmpfs where the row needs
// one, as root), who saves, what is saved; then whether it was, which file holds what, the
// folder's entries afterwards ("" = as before), and what became of the file's inode and owner.
void TestSafeSave::save_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("target");  // below the root
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<int>("newSize");    // 0: NewBytes
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("check");   // the file that must hold what was saved, or the old bytes
    QTest::addColumn<QString>("inode");   // "same", "new" or "" (not checked)
    QTest::addColumn<QStringList>("after");

    const QStringList one{"win.ini"};
    QTest::newRow("a new file: default permissions") << "none" << "disk/new.ini" << false << 0 << true
                                                    << "disk/new.ini" << "" << QStringList{"new.ini"};
    for (const int mode : {0640, 0600, 0755})
        QTest::addRow("mode %o kept", mode) << QString::number(mode, 8) << "disk/win.ini" << false << 0 << true
                                           << "disk/win.ini" << "new" << one;
    QTest::newRow("read-only file: root may, a user may not") << "444" << "disk/win.ini" << false << 0
                                                             << (::geteuid() == 0) << "disk/win.ini" << "" << one;
    QTest::newRow("owner and group kept") << "owner" << "disk/win.ini" << false << 0 << true << "disk/win.ini"
                                          << "new" << one;
    QTest::newRow("another's file, writable: rewritten in place") << "other's" << "disk/win.ini" << true << 0
                                                                 << true << "disk/win.ini" << "same" << one;
    QTest::newRow("hard link stays linked") << "hard link" << "disk/win.ini" << false << 0 << true
                                            << "disk/other.ini" << "same" << QStringList{"other.ini", "win.ini"};
    QTest::newRow("hard link, shorter text: cut to it") << "hard link" << "disk/win.ini" << false << 1 << true
                                                        << "disk/other.ini" << "same"
                                                        << QStringList{"other.ini", "win.ini"};
    QTest::newRow("link to a file") << "link" << "disk/link.ini" << false << 0 << true << "disk/win.ini"
                                    << "new" << QStringList{"link.ini", "win.ini"};
    QTest::newRow("link to a link, relative") << "chain" << "disk/link.ini" << false << 0 << true
                                              << "disk/win.ini" << "new"
                                              << QStringList{"link.ini", "middle.ini", "win.ini"};
    QTest::newRow("link to a file not there yet") << "dangling" << "disk/link.ini" << false << 0 << true
                                                  << "real/win.ini" << "" << QStringList{"link.ini", "win.ini"};
    QTest::newRow("folder linked, as /windows to a Wine prefix") << "folder link" << "windows/win.ini" << false
                                                                << 0 << true << "disk/win.ini" << "" << one;
    QTest::newRow("the name is a folder") << "none" << "disk" << false << 0 << false << "disk/win.ini" << ""
                                          << one;
    QTest::newRow("no such folder") << "none" << "nowhere/win.ini" << false << 0 << false << "disk/win.ini"
                                    << "" << one;
    QTest::newRow("a link loop") << "loop" << "disk/a" << false << 0 << false << "disk/win.ini" << ""
                                 << QStringList{"a", "b", "win.ini"};
    QTest::newRow("a device") << "none" << "/dev/null" << false << 0 << false << "disk/win.ini" << "" << one;
    QTest::newRow("folder not writable") << "555" << "disk/new.ini" << true << 0 << false << "disk/win.ini"
                                         << "" << one;
    QTest::newRow("file and folder not writable") << "555 444" << "disk/win.ini" << true << 0 << false
                                                  << "disk/win.ini" << "" << one;
    QTest::newRow("disk full") << "small" << "disk/win.ini" << false << 300 * 1024 << false << "disk/win.ini"
                               << "" << one;
    QTest::newRow("disk full, hard link: in place") << "small hard link" << "disk/win.ini" << false << 300 * 1024
                                                    << false << "disk/win.ini" << ""
                                                    << QStringList{"other.ini", "win.ini"};
    QTest::newRow("what fits is written") << "small" << "disk/win.ini" << false << 50 * 1024 << true
                                          << "disk/win.ini" << "" << one;
    QTest::newRow("read-only file system") << "small read-only" << "disk/win.ini" << false << 0 << false
                                           << "disk/win.ini" << "" << one;
    // A file the user may write in a folder the user may not: rewritten in place, the old
    // bytes kept in a private temporary file meanwhile and put back when the write fails.
    QTest::newRow("writable file, folder not: saved") << "small 555 666" << "disk/win.ini" << true << 1000
                                                     << true << "disk/win.ini" << "same" << one;
    QTest::newRow("writable file, folder not: disk full, refused") << "small 555 666" << "disk/win.ini" << true
                                                                  << 300 * 1024 << false << "disk/win.ini"
                                                                  << "same" << one;
    QTest::newRow("writable file, folder not: fails half-way, old bytes back")
        << "small 555 666 limit" << "disk/win.ini" << true << 120 * 1024 << false << "disk/win.ini" << "same"
        << one;
}

void TestSafeSave::save()
{
    QFETCH(QString, setup);
    QFETCH(QString, target);
    QFETCH(bool, asNobody);
    QFETCH(int, newSize);
    QFETCH(bool, ok);
    QFETCH(QString, check);
    QFETCH(QString, inode);
    QFETCH(QStringList, after);

    TempDrive drive;
    const QStringList words = setup.split(' ');
    std::unique_ptr<SmallDisk> disk;
    if (words.contains("small")) {
        disk = std::make_unique<SmallDisk>(drive.path("disk"), 256 * 1024);
        if (!disk->mounted())
            QSKIP("mounting a small tmpfs needs root");
    }
    if ((asNobody || setup == "owner") && !ActAs::possible())
        QSKIP("acting as another user needs root");
    const QString file = drive.write("disk/win.ini", OldBytes);
    const QString link = drive.path("disk/link.ini");
    if (setup == "none" && target == "disk/new.ini")
        QFile::remove(file);
    if (words.contains("hard") || setup == "hard link")
        QCOMPARE(::link(QFile::encodeName(file).constData(), QFile::encodeName(drive.path("disk/other.ini")).constData()), 0);
    if (setup == "owner")
        QCOMPARE(::chown(QFile::encodeName(file).constData(), 1234, 5678), 0);
    if (setup == "other's") {
        chmodTo(drive.path("disk"), 0777);
        chmodTo(file, 0666);
        QCOMPARE(::chown(QFile::encodeName(file).constData(), 4321, 4321), 0);
    }
    if (setup == "link")
        QCOMPARE(symlinkTo(file, link), 0);
    if (setup == "chain") {
        QCOMPARE(symlinkTo("win.ini", drive.path("disk/middle.ini")), 0);
        QCOMPARE(symlinkTo(drive.path("disk/middle.ini"), link), 0);
    }
    if (setup == "dangling") {
        QCOMPARE(symlinkTo(drive.path("real/win.ini"), link), 0);
        QDir().mkpath(drive.path("real"));
    }
    if (setup == "folder link")
        QCOMPARE(symlinkTo(drive.path("disk"), drive.path("windows")), 0);
    if (setup == "loop") {
        QCOMPARE(symlinkTo("b", drive.path("disk/a")), 0);
        QCOMPARE(symlinkTo("a", drive.path("disk/b")), 0);
    }
    if (words.contains("read-only"))
        QVERIFY(disk->makeReadOnly());
    chmodTo(drive.root(), 0755);  // others may look in
    for (const QString &word : words) {  // a mode: 555 for the folder, any other for the file
        bool numeric = false;
        const int mode = word.toInt(&numeric, 8);
        if (numeric)
            chmodTo(word == "555" ? drive.path("disk") : file, mode_t(mode));
    }

    const QByteArray bytes = newSize == 0 ? NewBytes : newSize == 1 ? QByteArray("x") : QByteArray(newSize, 'n');
    const struct stat before = statOf(file);
    const QStringList backupsBefore = backups();
    const QStringList entriesBefore = entries(drive.path("disk"));
    const QString saved = target.startsWith('/') ? target : drive.path(target);
    safesave::Result result;
    {
        std::unique_ptr<ActAs> user;
        if (asNobody)
            user = std::make_unique<ActAs>(setup == "other's" ? 1234 : Nobody, setup == "other's" ? 1234 : Nobody);
        struct rlimit limits {};
        ::getrlimit(RLIMIT_FSIZE, &limits);
        if (words.contains("limit")) {  // the write stops at 110 KiB: fails instead of a signal
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limited = limits;
            limited.rlim_cur = 110 * 1024;
            ::setrlimit(RLIMIT_FSIZE, &limited);
        }
        const mode_t mask = ::umask(0022);
        result = safesave::write(saved, bytes);
        ::umask(mask);
        ::setrlimit(RLIMIT_FSIZE, &limits);
    }
    chmodTo(drive.path("disk"), 0755);

    QCOMPARE(result.ok, ok);
    QCOMPARE(result.error.isEmpty(), ok);
    QVERIFY(drive.read(check) == (ok ? bytes : OldBytes));
    QCOMPARE(entries(drive.path("disk")), after.isEmpty() ? entriesBefore : after);
    QCOMPARE(backups(), backupsBefore);
    const struct stat now = statOf(drive.path(check));
    if (inode == "same")
        QCOMPARE(now.st_ino, before.st_ino);
    if (inode == "new")
        QVERIFY(now.st_ino != before.st_ino);  // replaced by rename
    if (ok && before.st_ino) {
        QCOMPARE(now.st_uid, before.st_uid);
        QCOMPARE(now.st_gid, before.st_gid);
        QCOMPARE(now.st_mode & 07777, before.st_mode & 07777);
    }
    if (ok && !before.st_ino)
        QCOMPARE(now.st_mode & 07777, mode_t(0644));
    if (QStringList{"link", "chain", "dangling", "folder link"}.contains(setup))
        QVERIFY(QFileInfo(setup == "folder link" ? drive.path("windows") : link).isSymLink());
}

// Killed at any moment of a save, the file holds the old text or the new one, whole, and
// nothing else is left in the folder. The kills fall at growing amounts of the new text
// written, from none on, read off the temporary file the save writes.
void TestSafeSave::killedWhileSaving()
{
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/savechild");
    const qint64 size = 64 << 20;
    TempDrive drive;
    const QString file = drive.write("win.ini", NewBytes);
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
        QVERIFY2(result == NewBytes || result == QByteArray(size, 'n'), qPrintable(QString::number(result.size())));
        QCOMPARE(entries(drive.root()), QStringList{"win.ini"});
        drive.write("win.ini", NewBytes);
    }
}

QTEST_MAIN(TestSafeSave)
#include "tst_safesave.moc"
