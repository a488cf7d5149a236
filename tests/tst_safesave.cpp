#include "platform/safesave.h"
#include "support.h"

#include <QElapsedTimer>
#include <QProcess>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What stands at disk/win.ini before the save (a file of OldBytes, unless said otherwise).
enum class Setup { File, NoFile, Owned, Others, HardLink, Bound, Link, Chain, Dangling, Folder,
                   Loop };
// Whether the file saved is the same one (rewritten in place) or a new one (renamed over it).
enum class Inode { Unchecked, Same, New };

// A save: the set-up, the name saved to (below the root), whether it succeeds; then, set by
// name, what differs from a plain save of NewBytes by the user.
struct Save
{
    Setup setup;
    QString target;
    bool ok;
    QString holder = QStringLiteral("disk/win.ini");  // holds the new bytes, or the old
    Inode inode = Inode::Unchecked;
    QString entries;                 // the folder's after, when not as before
    mode_t fileMode = 0, folderMode = 0;
    qsizetype size = 0;              // of a text of 'n's instead of NewBytes
    bool smallDisk = false, readOnlyDisk = false, writeLimit = false, asNobody = false;

    Save holding(const QString &file) const { Save s = *this; s.holder = file; return s; }
    Save same() const { Save s = *this; s.inode = Inode::Same; return s; }
    Save renamed() const { Save s = *this; s.inode = Inode::New; return s; }
    Save leaving(const QString &e) const { Save s = *this; s.entries = e; return s; }
    Save mode(mode_t m) const { Save s = *this; s.fileMode = m; return s; }
    Save folderLocked() const { Save s = *this; s.folderMode = 0555; return s; }
    Save bytes(qsizetype n) const { Save s = *this; s.size = n; return s; }
    Save onSmallDisk() const { Save s = *this; s.smallDisk = true; return s; }
    Save readOnly() const { Save s = onSmallDisk(); s.readOnlyDisk = true; return s; }
    Save stopsAt110KiB() const { Save s = *this; s.writeLimit = true; return s; }
    Save byNobody() const { Save s = *this; s.asNobody = true; return s; }
    Save failing() const { Save s = *this; s.ok = false; return s; }
};

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
    QVERIFY2(::symlink(QFile::encodeName(target), QFile::encodeName(name)) == 0, qPrintable(name));
}
// Everything in the folder, hidden files included: no temporary file may stay behind.
QString entries(const QString &folder)
{
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(folder).entryList(all, QDir::Name).join(' ');
}
// A file mounted over another (as a container's configuration file is), while it lives.
struct BindMount
{
    BindMount(const QString &file, const QString &over)
        : at(QFile::encodeName(over)),
          mounted(::mount(QFile::encodeName(file), at, nullptr, MS_BIND, nullptr) == 0)
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
QStringList backups()
{
    return QDir(QDir::tempPath()).entryList({"tansy-ini-editor-backup-*"}, QDir::Files);
}

}

class TestSafeSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void save_data()
    {
        using S = Setup;
        const bool root = ::geteuid() == 0;
        const QString win("disk/win.ini"), link("disk/link.ini");
        const int full = 300 * 1024;
        const Save writableInLockedFolder = Save{S::File, win, true}.onSmallDisk().folderLocked()
                                                .mode(0666).byNobody().same();
        table<Save>({
            {"a new file: default permissions", Save{S::NoFile, "disk/new.ini", true}
                                                    .holding("disk/new.ini").leaving("new.ini")},
            {"mode 640 kept", Save{S::File, win, true}.mode(0640).renamed()},
            {"mode 755 kept", Save{S::File, win, true}.mode(0755).renamed()},
            {"read-only file: root may, a user may not", Save{S::File, win, root}.mode(0444)},
            {"owner and group kept", Save{S::Owned, win, true}.renamed()},
            {"another's file, writable: rewritten in place",
             Save{S::Others, win, true}.byNobody().same()},
            {"hard link stays linked",
             Save{S::HardLink, win, true}.holding("disk/other.ini").same()
                 .leaving("other.ini win.ini")},
            {"a file mounted in place: rewritten in place",
             Save{S::Bound, win, true}.holding("disk/bound.ini").same()
                 .leaving("bound.ini win.ini")},
            {"hard link, shorter text: cut to it",
             Save{S::HardLink, win, true}.bytes(1).holding("disk/other.ini").same()},
            {"link to a file", Save{S::Link, link, true}.renamed().leaving("link.ini win.ini")},
            {"link to a link, relative",
             Save{S::Chain, link, true}.renamed().leaving("link.ini middle.ini win.ini")},
            {"link to a file not there yet", Save{S::Dangling, link, true}.holding("real/win.ini")},
            {"folder linked, as /windows to a Wine prefix",
             Save{S::Folder, "windows/win.ini", true}},
            {"the name is a folder", Save{S::File, "disk", false}},
            {"no such folder", Save{S::File, "nowhere/win.ini", false}},
            {"a link loop", Save{S::Loop, "disk/a", false}.leaving("a b win.ini")},
            {"a device", Save{S::File, "/dev/null", false}},
            {"folder not writable", Save{S::File, "disk/new.ini", false}.folderLocked().byNobody()},
            {"file and folder not writable",
             Save{S::File, win, false}.folderLocked().mode(0444).byNobody()},
            {"disk full", Save{S::File, win, false}.onSmallDisk().bytes(full)},
            {"disk full, hard link: in place",
             Save{S::HardLink, win, false}.onSmallDisk().bytes(full)},
            {"what fits is written", Save{S::File, win, true}.onSmallDisk().bytes(50 * 1024)},
            {"read-only file system", Save{S::File, win, false}.readOnly()},
            // A file the user may write in a folder the user may not: rewritten in place, the
            // old bytes kept in a private temporary file meanwhile and put back if the write
            // fails.
            {"writable file, folder not: saved", writableInLockedFolder.bytes(1000)},
            {"writable file, folder not: disk full, refused",
             writableInLockedFolder.bytes(full).failing()},
            {"writable file, folder not: fails half-way, old bytes back",
             writableInLockedFolder.bytes(120 * 1024).stopsAt110KiB().failing()}});
    }
    void save()
    {
        const Save &r = row<Save>();
        const bool other = r.setup == Setup::Others;
        TempDrive drive;
        std::optional<SmallDisk> disk;
        if (r.smallDisk && !disk.emplace(drive.path("disk"), 256 * 1024).mounted)
            QSKIP("mounting a small tmpfs needs root");
        if ((r.asNobody || r.setup == Setup::Owned) && !ActAs::possible())
            QSKIP("acting as another user needs root");
        const QString file = drive.write("disk/win.ini", OldBytes);
        const QString link = drive.path("disk/link.ini");
        const QByteArray name = QFile::encodeName(file);
        if (r.setup == Setup::NoFile)
            QFile::remove(file);
        if (r.setup == Setup::HardLink)
            QCOMPARE(::link(name, QFile::encodeName(drive.path("disk/other.ini"))), 0);
        if (r.setup == Setup::Owned || other)
            QCOMPARE(::chown(name, other ? 4321 : 1234, other ? 4321 : 5678), 0);
        if (other) {
            ::chmod(QFile::encodeName(drive.path("disk")), 0777);
            ::chmod(name, 0666);
        }
        std::optional<BindMount> bound;
        if (r.setup == Setup::Bound
            && !bound.emplace(drive.write("disk/bound.ini", OldBytes), file).mounted)
            QSKIP("mounting a file in place needs root");
        if (r.setup == Setup::Link)
            symlinkTo(file, link);
        if (r.setup == Setup::Chain) {
            symlinkTo("win.ini", drive.path("disk/middle.ini"));
            symlinkTo(drive.path("disk/middle.ini"), link);
        }
        if (r.setup == Setup::Dangling) {
            symlinkTo(drive.path("real/win.ini"), link);
            QDir().mkpath(drive.path("real"));
        }
        if (r.setup == Setup::Folder)
            symlinkTo(drive.path("disk"), drive.path("windows"));
        if (r.setup == Setup::Loop) {
            symlinkTo("b", drive.path("disk/a"));
            symlinkTo("a", drive.path("disk/b"));
        }
        if (r.readOnlyDisk)
            QVERIFY(disk->makeReadOnly());
        ::chmod(QFile::encodeName(drive.root()), 0755);  // others may look in
        if (r.fileMode)
            ::chmod(name, r.fileMode);
        if (r.folderMode)
            ::chmod(QFile::encodeName(drive.path("disk")), r.folderMode);

        const QByteArray bytes = r.size == 0 ? NewBytes : QByteArray(r.size, 'n');
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
            if (r.writeLimit) {  // the write stops at 110 KiB: fails instead of a signal
                ::signal(SIGXFSZ, SIG_IGN);
                struct rlimit limited = limits;
                limited.rlim_cur = 110 * 1024;
                ::setrlimit(RLIMIT_FSIZE, &limited);
            }
            const mode_t mask = ::umask(0022);
            const QString target = r.target.startsWith('/') ? r.target : drive.path(r.target);
            result = safesave::write(target, bytes);
            ::umask(mask);
            ::setrlimit(RLIMIT_FSIZE, &limits);
        }
        ::chmod(QFile::encodeName(drive.path("disk")), 0755);
        QCOMPARE(result.ok, r.ok);
        QCOMPARE(result.error.isEmpty(), r.ok);
        QVERIFY(drive.read(r.holder) == (r.ok ? bytes : OldBytes));
        QCOMPARE(entries(drive.path("disk")), r.entries.isEmpty() ? entriesBefore : r.entries);
        QCOMPARE(backups(), backupsBefore);
        const struct stat now = statOf(drive.path(r.holder));
        if (r.inode != Inode::Unchecked)
            QCOMPARE(now.st_ino == before.st_ino, r.inode == Inode::Same);
        if (r.ok && before.st_ino) {
            QCOMPARE(now.st_uid, before.st_uid);
            QCOMPARE(now.st_gid, before.st_gid);
            QCOMPARE(now.st_mode & 07777, before.st_mode & 07777);
        }
        if (r.ok && !before.st_ino)
            QCOMPARE(now.st_mode & 07777, mode_t(0644));
        if (!r.ok && !r.writeLimit) {  // refused before a byte was written
            QCOMPARE(now.st_mtim.tv_sec, before.st_mtim.tv_sec);
            QCOMPARE(now.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        }
        if (r.setup == Setup::Folder || r.target == "disk/link.ini")
            QVERIFY(QFileInfo(r.setup == Setup::Folder ? drive.path("windows") : link).isSymLink());
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
            save.start(QCoreApplication::applicationDirPath() + "/savechild",
                       {file, QString::number(size)});
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
            while (written > 0 && !reached() && !save.waitForFinished(0)
                   && clock.elapsed() < 20000) {
            }
            QVERIFY2(save.state() == QProcess::Running, "the save ended before the kill");
            save.kill();
            save.waitForFinished();
            const QByteArray result = drive.read("win.ini");
            QVERIFY2(result == NewBytes || result == QByteArray(size, 'n'),
                     qPrintable(QString::number(result.size())));
            QCOMPARE(entries(drive.root()), QStringLiteral("win.ini"));
            drive.write("win.ini", NewBytes);
        }
    }
};

QTEST_MAIN(TestSafeSave)
#include "tst_safesave.moc"
