#include "platform/safesave.h"
#include "support.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// How the drive is set up around disk/win.ini (words; "small": a 256 KiB tmpfs, as root; a
// number: the mode of the folder if 555, else of the file), what is saved where (below the
// root) and by whom, how many bytes (0: NewBytes, 1: "x"); then whether it was, which file
// holds what, the folder's entries ("" = as before) and the file's inode: "same", "new", "".
struct Save { QString setup, target; bool asNobody; int size; bool ok; QString check, inode, after; };

namespace {

const QByteArray OldBytes(100 * 1024, 'o');
const QByteArray NewBytes("[windows]\r\nload=\r\nrun=\xe9\0\r\n", 25);

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}
void symlinkTo(const QString &target, const QString &name)
{
    QVERIFY2(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(name).constData()) == 0,
             qPrintable(name));
}
// Everything in the folder, hidden files included: no temporary file may stay behind.
QString entries(const QString &folder)
{
    return QDir(folder)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)
        .join(' ');
}
// A file mounted over another (as a container's configuration file is), while it lives.
struct BindMount
{
    BindMount(const QString &file, const QString &over)
        : at(QFile::encodeName(over)),
          mounted(::mount(QFile::encodeName(file).constData(), at.constData(), nullptr, MS_BIND, nullptr) == 0)
    {
    }
    ~BindMount()
    {
        if (mounted)
            ::umount2(at.constData(), MNT_DETACH);
    }
    QByteArray at;
    bool mounted;
};
QStringList backups() { return QDir(QDir::tempPath()).entryList({"tansy-ini-editor-backup-*"}, QDir::Files); }

}

class TestSafeSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void save_data()
    {
        const bool root = ::geteuid() == 0;
        const int full = 300 * 1024;
        table<Save>({
            {"a new file: default permissions", {"none", "disk/new.ini", false, 0, true, "disk/new.ini", "", "new.ini"}},
            {"mode 640 kept", {"640", "disk/win.ini", false, 0, true, "disk/win.ini", "new", ""}},
            {"mode 755 kept", {"755", "disk/win.ini", false, 0, true, "disk/win.ini", "new", ""}},
            {"read-only file: root may, a user may not", {"444", "disk/win.ini", false, 0, root, "disk/win.ini", "", ""}},
            {"owner and group kept", {"owner", "disk/win.ini", false, 0, true, "disk/win.ini", "new", ""}},
            {"another's file, writable: rewritten in place", {"other's", "disk/win.ini", true, 0, true, "disk/win.ini", "same", ""}},
            {"hard link stays linked", {"hard", "disk/win.ini", false, 0, true, "disk/other.ini", "same", "other.ini win.ini"}},
            {"a file mounted in place: rewritten in place", {"bound", "disk/win.ini", false, 0, true, "disk/bound.ini", "same", "bound.ini win.ini"}},
            {"hard link, shorter text: cut to it", {"hard", "disk/win.ini", false, 1, true, "disk/other.ini", "same", ""}},
            {"link to a file", {"link", "disk/link.ini", false, 0, true, "disk/win.ini", "new", "link.ini win.ini"}},
            {"link to a link, relative", {"chain", "disk/link.ini", false, 0, true, "disk/win.ini", "new", "link.ini middle.ini win.ini"}},
            {"link to a file not there yet", {"dangling", "disk/link.ini", false, 0, true, "real/win.ini", "", ""}},
            {"folder linked, as /windows to a Wine prefix", {"folder", "windows/win.ini", false, 0, true, "disk/win.ini", "", ""}},
            {"the name is a folder", {"none", "disk", false, 0, false, "disk/win.ini", "", ""}},
            {"no such folder", {"none", "nowhere/win.ini", false, 0, false, "disk/win.ini", "", ""}},
            {"a link loop", {"loop", "disk/a", false, 0, false, "disk/win.ini", "", "a b win.ini"}},
            {"a device", {"none", "/dev/null", false, 0, false, "disk/win.ini", "", ""}},
            {"folder not writable", {"555", "disk/new.ini", true, 0, false, "disk/win.ini", "", ""}},
            {"file and folder not writable", {"555 444", "disk/win.ini", true, 0, false, "disk/win.ini", "", ""}},
            {"disk full", {"small", "disk/win.ini", false, full, false, "disk/win.ini", "", ""}},
            {"disk full, hard link: in place", {"small hard", "disk/win.ini", false, full, false, "disk/win.ini", "", ""}},
            {"what fits is written", {"small", "disk/win.ini", false, 50 * 1024, true, "disk/win.ini", "", ""}},
            {"read-only file system", {"small read-only", "disk/win.ini", false, 0, false, "disk/win.ini", "", ""}},
            // A file the user may write in a folder the user may not: rewritten in place, the
            // old bytes kept in a private temporary file meanwhile and put back if the write fails.
            {"writable file, folder not: saved", {"small 555 666", "disk/win.ini", true, 1000, true, "disk/win.ini", "same", ""}},
            {"writable file, folder not: disk full, refused", {"small 555 666", "disk/win.ini", true, full, false, "disk/win.ini", "same", ""}},
            {"writable file, folder not: fails half-way, old bytes back", {"small 555 666 limit", "disk/win.ini", true, 120 * 1024, false, "disk/win.ini", "same", ""}}});
    }
    void save()
    {
        const Save &r = row<Save>();
        const QStringList words = r.setup.split(' ');
        const bool other = r.setup == "other's";
        TempDrive drive;
        std::optional<SmallDisk> disk;
        if (words.contains("small") && !disk.emplace(drive.path("disk"), 256 * 1024).mounted)
            QSKIP("mounting a small tmpfs needs root");
        if ((r.asNobody || r.setup == "owner") && !ActAs::possible())
            QSKIP("acting as another user needs root");
        const QString file = drive.write("disk/win.ini", OldBytes), link = drive.path("disk/link.ini");
        const QByteArray name = QFile::encodeName(file);
        if (r.target == "disk/new.ini" && r.setup == "none")
            QFile::remove(file);
        if (words.contains("hard"))
            QCOMPARE(::link(name, QFile::encodeName(drive.path("disk/other.ini"))), 0);
        if (r.setup == "owner" || other)
            QCOMPARE(::chown(name, other ? 4321 : 1234, other ? 4321 : 5678), 0);
        if (other) {
            ::chmod(QFile::encodeName(drive.path("disk")), 0777);
            ::chmod(name, 0666);
        }
        std::optional<BindMount> bound;
        if (r.setup == "bound" && !bound.emplace(drive.write("disk/bound.ini", OldBytes), file).mounted)
            QSKIP("mounting a file in place needs root");
        if (r.setup == "link")
            symlinkTo(file, link);
        if (r.setup == "chain") {
            symlinkTo("win.ini", drive.path("disk/middle.ini"));
            symlinkTo(drive.path("disk/middle.ini"), link);
        }
        if (r.setup == "dangling") {
            symlinkTo(drive.path("real/win.ini"), link);
            QDir().mkpath(drive.path("real"));
        }
        if (r.setup == "folder")
            symlinkTo(drive.path("disk"), drive.path("windows"));
        if (r.setup == "loop") {
            symlinkTo("b", drive.path("disk/a"));
            symlinkTo("a", drive.path("disk/b"));
        }
        if (words.contains("read-only"))
            QVERIFY(disk->makeReadOnly());
        ::chmod(QFile::encodeName(drive.root()), 0755);  // others may look in
        for (const QString &word : words)
            if (word.toInt(nullptr, 8))
                ::chmod(word == "555" ? QFile::encodeName(drive.path("disk")) : name, mode_t(word.toInt(nullptr, 8)));

        const QByteArray bytes = r.size == 0 ? NewBytes : r.size == 1 ? QByteArray("x") : QByteArray(r.size, 'n');
        const struct stat before = statOf(file);
        const QStringList backupsBefore = backups();
        const QString entriesBefore = entries(drive.path("disk"));
        safesave::Result result;
        {
            std::optional<ActAs> user;
            if (r.asNobody)
                user.emplace(other ? 1234 : 65534, other ? 1234 : 65534);
            struct rlimit limits {};
            ::getrlimit(RLIMIT_FSIZE, &limits);
            if (words.contains("limit")) {  // the write stops at 110 KiB: fails instead of a signal
                ::signal(SIGXFSZ, SIG_IGN);
                struct rlimit limited = limits;
                limited.rlim_cur = 110 * 1024;
                ::setrlimit(RLIMIT_FSIZE, &limited);
            }
            const mode_t mask = ::umask(0022);
            result = safesave::write(r.target.startsWith('/') ? r.target : drive.path(r.target), bytes);
            ::umask(mask);
            ::setrlimit(RLIMIT_FSIZE, &limits);
        }
        ::chmod(QFile::encodeName(drive.path("disk")), 0755);
        QCOMPARE(result.ok, r.ok);
        QCOMPARE(result.error.isEmpty(), r.ok);
        QVERIFY(drive.read(r.check) == (r.ok ? bytes : OldBytes));
        QCOMPARE(entries(drive.path("disk")), r.after.isEmpty() ? entriesBefore : r.after);
        QCOMPARE(backups(), backupsBefore);
        const struct stat now = statOf(drive.path(r.check));
        if (!r.inode.isEmpty())
            QCOMPARE(now.st_ino == before.st_ino, r.inode == "same");  // "new": replaced by rename
        if (r.ok && before.st_ino)
            QCOMPARE(QList<uint>({now.st_uid, now.st_gid, now.st_mode & 07777}),
                     QList<uint>({before.st_uid, before.st_gid, before.st_mode & 07777}));
        if (r.ok && !before.st_ino)
            QCOMPARE(now.st_mode & 07777, mode_t(0644));
        if (!r.ok && !words.contains("limit"))  // refused before a byte was written
            QCOMPARE(QList<long>({now.st_mtim.tv_sec, now.st_mtim.tv_nsec}),
                     QList<long>({before.st_mtim.tv_sec, before.st_mtim.tv_nsec}));
        if (r.setup == "folder" || r.target == "disk/link.ini")
            QVERIFY(QFileInfo(r.setup == "folder" ? drive.path("windows") : link).isSymLink());
    }

    // Killed at any moment of a save, the file holds the old text or the new one, whole, and
    // nothing else is left in the folder. The kills fall at growing amounts of the new text
    // written, from none on, read off the file the save writes (unnamed: its size shows in
    // /proc), watched without pause so that each kill lands while the save still runs.
    void killedWhileSaving()
    {
        const qint64 size = 64 << 20;
        TempDrive drive;
        const QString file = drive.write("win.ini", NewBytes);
        for (const qint64 written : {qint64(0), qint64(1), qint64(16 << 20), qint64(48 << 20)}) {
            QProcess save;
            save.start(QCoreApplication::applicationDirPath() + "/savechild", {file, QString::number(size)});
            QVERIFY(save.waitForStarted());
            const auto reached = [&] {
                for (const QFileInfo &fd : QDir(QStringLiteral("/proc/%1/fd").arg(save.processId()))
                                               .entryInfoList(QDir::Files | QDir::System))
                    if (fd.symLinkTarget().startsWith(drive.root()) && fd.size() >= written)
                        return true;
                return false;
            };
            QElapsedTimer clock;
            clock.start();
            while (written > 0 && !reached() && !save.waitForFinished(0) && clock.elapsed() < 20000) {
            }
            QVERIFY2(save.state() == QProcess::Running, "the save ended before the kill");
            save.kill();
            save.waitForFinished();
            const QByteArray result = drive.read("win.ini");
            QVERIFY2(result == NewBytes || result == QByteArray(size, 'n'), qPrintable(QString::number(result.size())));
            QCOMPARE(entries(drive.root()), QStringLiteral("win.ini"));
            drive.write("win.ini", NewBytes);
        }
    }
};

QTEST_MAIN(TestSafeSave)
#include "tst_safesave.moc"
