// The benchmark: every heavy operation of the editor on a real window (offscreen), each timed
// until its result is in the editor and the window has painted once, against the command-line
// tool that does the same work on the same file, in the same run. Not a test: it measures.
//
//   tansy-bench [SIZE] [cyrillic]
//       SIZE in bytes, or with K/M/G (default 64M). The document is Western (Windows-1252) text,
//       or with "cyrillic" Windows-1251 text whose bytes are mostly from 0x80 up, to be run
//       under a Russian locale (LC_ALL=ru_RU.UTF-8), which gives the program that page. Writes
//       results.json (results-cyrillic.json) into the current folder and exits 1 when a case
//       misses its target.

#include "app/form1.h"
#include "document/documentcommands.h"
#include "platform/codepage.h"
#include "platform/textbox.h"
#include "search/form2.h"
#include "search/searchcommands.h"
#include "startup.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <time.h>

namespace {

constexpr int Runs = 5;
const QByteArray Marker = "[tail-marker]";
// A comment line of a hundred bytes, which the long replace case looks for in capitals.
const QByteArray Long = "this line was written by the setup program of an old windows pc "
                        "so keep it as it is thank you all ok";

qint64 parseSize(const QString &text)
{
    const QChar unit = text.isEmpty() ? QChar() : text.back().toUpper();
    const qint64 scale = unit == 'K' ? 1 << 10 : unit == 'M' ? 1 << 20 : unit == 'G' ? 1 << 30 : 1;
    const QString number = scale == 1 ? text : text.chopped(1);
    return number.toLongLong() * scale;
}

// A document the cases run on: the words of its lines and of its cases, in its code page's
// bytes, and the targets the cases have on it.
struct Document
{
    QString name;
    QByteArray section, comment, key, value, path;
    QByteArray valueUpper;  // the replacement of the replace case
    QByteArray miss;        // the search-miss case's text
    QString upperBytes;     // tr's byte table for Upper Case, lower then upper
    double loadMBs, missRatio, missMBs, replaceRatio, numberRatio, upperRatio, memoryRatio;
    bool peers;  // also against vim and FeatherPad
};

const Document Western{QStringLiteral("western"), "section", "comment caf\xe9 \x80", "Key", "value",
                       "C:\\WINDOWS\\x.dll", "VALUE", "no such text", QStringLiteral("a-z A-Z"),
                       400, 1, 1000, 0.7, 1, 2, 4.5, true};
// "раздел", "комментарий", "Ключ", "значение", "С:\ОКНА\файл.длл", "ЗНАЧЕНИЕ", "нет такого текста"
const Document Cyrillic{QStringLiteral("cyrillic"), "\xf0\xe0\xe7\xe4\xe5\xeb",
                        "\xea\xee\xec\xec\xe5\xed\xf2\xe0\xf0\xe8\xe9", "\xca\xeb\xfe\xf7",
                        "\xe7\xed\xe0\xf7\xe5\xed\xe8\xe5",
                        "\xd1:\\\xce\xca\xcd\xc0\\\xf4\xe0\xe9\xeb.\xe4\xeb\xeb",
                        "\xc7\xcd\xc0\xd7\xc5\xcd\xc8\xc5",
                        "\xed\xe5\xf2 \xf2\xe0\xea\xee\xe3\xee \xf2\xe5\xea\xf1\xf2\xe0",
                        QStringLiteral("'a-z\\340-\\377' 'A-Z\\300-\\337'"),
                        200, 1, 0, 1, 1.5, 3, 8, false};

// Deterministic INI text in CR LF lines: sections, key=value lines (each holds the value word
// once: the replace case), comments, blank lines. Near the end a marker line from which the
// Repeat case starts.
QByteArray makeDocument(const Document &words, qint64 size)
{
    QByteArray doc;
    doc.reserve(size + 256);
    quint32 seed = 12345;
    const auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 8; };
    qint64 line = 0;
    bool marked = false;
    while (doc.size() < size) {
        const quint32 r = next() % 100;
        if (!marked && doc.size() > size - size / 100) {
            doc += Marker + "\r\n";
            marked = true;
        } else if (r < 4) {
            doc += "[" + words.section + QByteArray::number(line) + "]\r\n";
        } else if (r < 7) {
            doc += "; " + words.comment + " " + QByteArray::number(next() % 1000) + "\r\n";
        } else if (r < 8) {
            doc += "; " + Long + "\r\n";
        } else if (r < 9) {
            doc += "\r\n";
        } else {
            doc += words.key + QByteArray::number(next() % 100000) + "=" + words.value
                + QByteArray::number(line % 97) + "," + words.path + "\r\n";
        }
        ++line;
    }
    return doc;
}

// The peak resident memory since the last reset, per case (Linux: VmHWM, reset through
// clear_refs), so that the case behind the whole run's peak can be named.
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

qint64 peakSinceReset()
{
    return statusBytes(QStringLiteral("self"), "VmHWM");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The lowest and highest of a case's runs, for the table: "low-high unit".
QString spread(std::vector<double> values, double scale, const char *unit)
{
    std::sort(values.begin(), values.end());
    const int decimals = values.back() * scale < 1 ? 4 : 3;
    return QStringLiteral("runs %1-%2 %3").arg(values.front() * scale, 0, 'f', decimals)
        .arg(values.back() * scale, 0, 'f', decimals).arg(QLatin1String(unit));
}

// The median of the runs; their spread into `runs` when asked.
double timeIt(const std::function<void()> &prepare, const std::function<void()> &work,
              QString *runs = nullptr)
{
    std::vector<double> seconds;
    for (int i = 0; i < Runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        seconds.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    if (runs)
        *runs = spread(seconds, 1, "s");
    return median(seconds);
}

double timeCommand(const QString &command)
{
    return timeIt([] {}, [&command] {
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
        shell.waitForFinished(-1);
    });
}

// Closes each message box as soon as it shows, so a command that ends in one is timed
// without waiting for a person.
class BoxCloser : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *box = qobject_cast<QMessageBox *>(watched))
                QTimer::singleShot(0, box, &QMessageBox::accept);
        }
        return false;
    }
};

struct Case
{
    QString name;
    double ours;
    double reference;  // seconds (bytes for the memory cases); 0 when there is none
    QString target;
    bool pass;
    qint64 peak = 0;  // resident bytes at the case's peak
    double peer = 0;  // seconds the editor a user would pick instead takes (vim); 0 for none
    QString note;     // what else the case measured, for the table and results.json
    double ratio() const { return reference > 0 ? ours / reference : 0; }
    double peerRatio() const { return peer > 0 ? ours / peer : 0; }
    bool bytes() const { return name.endsWith(QLatin1String("memory")); }
};

// A heavy command is at least five times faster than the same change in vim.
constexpr double PeerTarget = 0.2;

void checkPeer(Case &c)
{
    c.target += QStringLiteral(", vim <= %1").arg(PeerTarget);
    c.pass = c.pass && c.peer > 0 && c.peerRatio() <= PeerTarget;
}

double cpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The same change in vim's ex mode, without a vimrc or viminfo, written to `scratch`; 0
// where vim is not installed.
double vimTime(const QString &quotedFile, const QString &scratch, const QString &command)
{
    if (QStandardPaths::findExecutable(QStringLiteral("vim")).isEmpty())
        return 0;
    return timeCommand(QStringLiteral("vim -u NONE -i NONE -N -es -c %1 -c 'w! %2' -c 'q!' %3 </dev/null")
                           .arg(command, scratch, quotedFile));
}

}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 size = parseSize(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("64M"));
    if (size <= 0) {
        std::fprintf(stderr, "tansy-bench: give the document size as bytes, or with K, M or G\n");
        return 2;
    }
    const Document &words = argc > 2 && QByteArray(argv[2]) == "cyrillic" ? Cyrillic : Western;
    codepage::use(codepage::fromLocale());
    BoxCloser closer;
    app.installEventFilter(&closer);

    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("windows"));
    const QString file = root.filePath(QStringLiteral("windows/win.ini"));
    qint64 hits = 0;
    {
        // Written and let go before the program's work begins: the peak memory is the
        // program's, not the generator's.
        const QByteArray document = makeDocument(words, size);
        hits = document.count(words.value);
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(document) != document.size())
            return 2;
    }
    // The tools' words in files of their own, as bytes: a command line would be re-encoded.
    const auto wordsFile = [&root](const char *name, const QByteArray &bytes) {
        QFile out(root.filePath(QLatin1String(name)));
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
        return out.fileName();
    };
    const QString missFile = wordsFile("miss", words.miss);
    const QString sedFile = wordsFile("sed", "s/" + words.value + "/" + words.valueUpper + "/g\n");
    const QString longSedFile = wordsFile("sed-long", "s/" + Long.toUpper() + "/" + Long + "/gI\n");
    resetPeak();
    const QString quoted = QStringLiteral("'%1'").arg(file);
    const QString scratch = root.filePath(QStringLiteral("out"));

    Form1 form(root.path());
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 2;
    TextBox &editor = *form.editor();
    auto *quickLoad = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    const auto paint = [&form] { form.repaint(); };
    const auto load = [&] { quickLoad->click(); QApplication::processEvents(); };
    const auto menu = [&form](const char *name) {
        form.findChild<QAction *>(QLatin1String(name))->trigger();
    };
    form.findChild<QAction *>(QStringLiteral("EditFind"))->trigger();
    Form2 &dialog = *form.search()->dialog();
    const auto button = [&dialog](const char *name) {
        dialog.findChild<QPushButton *>(QLatin1String(name))->click();
    };
    const auto searchFor = [&dialog](const QByteArray &text, bool exact) {
        dialog.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(codepage::toUnicode(text));
        dialog.findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(exact);
    };
    const double mb = double(size) / 1e6;
    std::vector<Case> cases;

    // load
    QString runs;  // the spread of the case being measured
    const double loadTime = timeIt([] {}, [&] { load(); paint(); }, &runs);
    const double catTime = timeCommand(QStringLiteral("cat %1 > /dev/null").arg(quoted));
    const auto measured = [&cases, &runs] {
        cases.back().peak = peakSinceReset();
        resetPeak();
        if (cases.back().note.isEmpty())
            cases.back().note = runs;
    };
    cases.push_back({QStringLiteral("load"), loadTime, catTime,
                     QStringLiteral(">= %1 MB/s").arg(words.loadMBs),
                     mb / loadTime >= words.loadMBs});
    measured();

    // save
    const double saveTime = timeIt([] {}, [&] { menu("FileSave"); }, &runs);
    const double cpTime = timeCommand(QStringLiteral("cp %1 '%2'").arg(quoted, scratch));
    cases.push_back({QStringLiteral("save"), saveTime, cpTime, QStringLiteral("<= 3"),
                     saveTime <= 3 * cpTime});
    measured();

    // search-miss
    searchFor(words.miss, false);
    const double missTime = timeIt([] {}, [&] { button("FindButton"); paint(); }, &runs);
    const double grepTime =
        timeCommand(QStringLiteral("LC_ALL=C grep -c -i -F -f '%1' %2").arg(missFile, quoted));
    cases.push_back({QStringLiteral("search-miss"), missTime, grepTime,
                     QStringLiteral("<= %1 and >= %2 MB/s").arg(words.missRatio).arg(words.missMBs),
                     missTime <= words.missRatio * grepTime && mb / missTime >= words.missMBs});
    measured();

    // repeat: from the marker near the end, step through the hits after it
    constexpr int Steps = 1000;
    const double repeatTime = timeIt([&] {
        searchFor(Marker, true);
        button("FindButton");
        searchFor(words.value, true);
        paint();
    }, [&] {
        for (int i = 0; i < Steps; ++i)
            button("FindNextButton");
        paint();
    }) / Steps;
    runs.clear();
    cases.push_back({QStringLiteral("repeat"), repeatTime, 0, QStringLiteral("<= 50 us a step"),
                     repeatTime <= 50e-6});
    measured();

    // replace-all
    const double replaceTime = timeIt([&] {
        load();
        searchFor(words.value, true);
        button("FindButton");
        dialog.findChild<QLineEdit *>(QStringLiteral("Text2"))
            ->setText(codepage::toUnicode(words.valueUpper));
    }, [&] { button("ReplaceAllButton"); paint(); }, &runs);
    const double sedTime =
        timeCommand(QStringLiteral("LC_ALL=C sed -f '%1' %2 > '%3'").arg(sedFile, quoted, scratch));
    cases.push_back({QStringLiteral("replace-all"), replaceTime, sedTime,
                     QStringLiteral("<= %1").arg(words.replaceRatio),
                     replaceTime <= words.replaceRatio * sedTime});
    measured();
    if (words.peers) {
        cases.back().peer = vimTime(quoted, scratch, QStringLiteral("'%s/value/VALUE/g'"));
        checkPeer(cases.back());
    }

    // replace-long: a search text of a hundred bytes, case-insensitive, each hit replaced
    const double longTime = timeIt([&] {
        load();
        searchFor(Long.toUpper(), false);
        button("FindButton");
        dialog.findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QString::fromLatin1(Long));
    }, [&] { button("ReplaceAllButton"); paint(); }, &runs);
    const double longSedTime = timeCommand(
        QStringLiteral("LC_ALL=C sed -f '%1' %2 > '%3'").arg(longSedFile, quoted, scratch));
    cases.push_back({QStringLiteral("replace-long"), longTime, longSedTime, QStringLiteral("<= 1"),
                     longTime <= longSedTime});
    measured();

    // number-lines
    const double numberTime = timeIt(load, [&] { menu("ProcessNumber"); paint(); }, &runs);
    const double awkTime = timeCommand(
        QStringLiteral("LC_ALL=C awk '{printf \"%03d  %s\\n\", NR, $0}' %1 > '%2'")
            .arg(quoted, scratch));
    cases.push_back({QStringLiteral("number-lines"), numberTime, awkTime,
                     QStringLiteral("<= %1").arg(words.numberRatio),
                     numberTime <= words.numberRatio * awkTime});
    measured();
    if (words.peers) {
        cases.back().peer = vimTime(quoted, scratch,
                                    QStringLiteral("\"%s/^/\\=printf('%03d  ', line('.'))/\""));
        checkPeer(cases.back());
    }

    // upper
    const double upperTime = timeIt(load, [&] { menu("EditSelect"); menu("ProcessUpper"); paint(); }, &runs);
    const double trTime = timeCommand(
        QStringLiteral("LC_ALL=C tr %1 < %2 > '%3'").arg(words.upperBytes, quoted, scratch));
    cases.push_back({QStringLiteral("upper"), upperTime, trTime,
                     QStringLiteral("<= %1").arg(words.upperRatio),
                     upperTime <= words.upperRatio * trTime});
    measured();
    if (words.peers) {
        cases.back().peer = vimTime(quoted, scratch, QStringLiteral("'normal! ggVGU'"));
        checkPeer(cases.back());
    }

    // typing: one key near the end of the loaded document
    const double typingTime = timeIt([&] {
        load();
        editor.setSelection(editor.length() - 100, 0);
        paint();
    }, [&] { QTest::keyClick(editor.inputWidget(), Qt::Key_X); paint(); }, &runs);
    cases.push_back({QStringLiteral("typing"), typingTime, 0, QStringLiteral("<= 16 ms"),
                     typingTime <= 0.016});
    measured();

    // after-load-cpu: what a load costs once it has returned (the component wrapping the lines
    // in the background), until the program is idle: a whole second with under 3 % of a core.
    // Also how long it stayed busy, and when the scroll bar last changed (0: never, as when
    // no line is wider than the window). Both the time spent and the time busy are at most
    // AfterLoad: whether the box wraps is for speed alone, and this is where it shows.
    {
        QScrollBar *bar = editor.findChild<QAbstractScrollArea *>()->verticalScrollBar();
        load();
        paint();
        QElapsedTimer wall;
        wall.start();
        const double cpuStart = cpuSeconds();
        int lastMaximum = bar->maximum();
        double barFinal = 0;
        double windowCpu = cpuStart;
        qint64 windowStart = 0;
        double busyUntil = 0;
        double lastCpu = cpuStart;
        while (wall.elapsed() < 300000) {
            QTest::qWait(20);
            if (cpuSeconds() - lastCpu > 0.005)
                busyUntil = double(wall.nsecsElapsed()) / 1e9;
            lastCpu = cpuSeconds();
            if (bar->maximum() != lastMaximum) {
                lastMaximum = bar->maximum();
                barFinal = double(wall.nsecsElapsed()) / 1e9;
            }
            if (wall.elapsed() - windowStart >= 1000) {
                if (cpuSeconds() - windowCpu < 0.03)
                    break;
                windowStart = wall.elapsed();
                windowCpu = cpuSeconds();
            }
        }
        const double cpu = windowCpu - cpuStart;
        constexpr double AfterLoad = 2;
        cases.push_back({QStringLiteral("after-load-cpu"), cpu, 0,
                         QStringLiteral("<= %1 s, busy <= %1 s").arg(AfterLoad),
                         cpu <= AfterLoad && busyUntil <= AfterLoad});
        cases.back().note = QStringLiteral("busy for %1 s, scroll bar final after %2 s")
                                .arg(busyUntil, 0, 'f', 2).arg(barFinal, 0, 'f', 2);
        measured();
    }

    // The peak of the whole run is the highest of the cases' peaks (each case resets it).
    qint64 peak = peakSinceReset();
    for (const Case &c : cases)
        peak = std::max(peak, c.peak);
    const double memoryRatio = double(peak) / double(size);
    cases.push_back({QStringLiteral("memory"), double(peak), double(size),
                     QStringLiteral("<= %1").arg(words.memoryRatio),
                     memoryRatio <= words.memoryRatio});

    // start-up and idle-memory, against FeatherPad, each started in turn on the same display.
    const QString featherpad = QStandardPaths::findExecutable(QStringLiteral("featherpad"));
    StartupProbe probe;
    if (!words.peers) {
        // the start-up of an empty window is the same under any locale
    } else if (probe.ready() && !featherpad.isEmpty()) {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tansy-ini-editor");
        std::vector<double> ourStart, theirStart, ourRss, theirRss;
        for (int i = 0; i < Runs; ++i) {
            const StartupProbe::Start ours = probe.measure(program, {});
            const StartupProbe::Start theirs = probe.measure(featherpad, {QStringLiteral("--standalone")});
            ourStart.push_back(ours.seconds);
            theirStart.push_back(theirs.seconds);
            ourRss.push_back(double(ours.idleRss));
            theirRss.push_back(double(theirs.idleRss));
        }
        const double ours = median(ourStart);
        const double theirs = median(theirStart);
        cases.push_back({QStringLiteral("start-up"), ours, theirs, QStringLiteral("<= 1 FeatherPad"),
                         ours > 0 && theirs > 0 && ours <= theirs});
        cases.back().note = spread(ourStart, 1, "s");
        const double rss = median(ourRss);
        const double theirRssMedian = median(theirRss);
        cases.push_back({QStringLiteral("idle-memory"), rss, theirRssMedian, QStringLiteral("<= 1 FeatherPad"),
                         rss > 0 && theirRssMedian > 0 && rss <= theirRssMedian});
        cases.back().note = spread(ourRss, 1e-6, "MB");
    } else {
        std::fprintf(stderr, "tansy-bench: start-up and idle-memory need Xvfb and featherpad\n");
        cases.push_back({QStringLiteral("start-up"), 0, 0, QStringLiteral("<= 1 FeatherPad"), false});
    }

    std::printf("document: %s, %lld bytes, code page %d, %lld hits of the replace case\n\n",
                qPrintable(words.name), size, codepage::current(), hits);
    std::printf("%-14s %12s %12s %8s  %-28s %-5s %-7s %10s %6s\n", "case", "ours", "reference",
                "ratio", "target", "pass", "peak", "vim", "ratio");
    QJsonArray list;
    bool allPass = true;
    for (const Case &c : cases) {
        const bool memory = c.bytes();
        const QString ours = memory       ? QStringLiteral("%1 MB").arg(c.ours / 1e6, 0, 'f', 0)
            : c.ours < 0.001 ? QStringLiteral("%1 us").arg(c.ours * 1e6, 0, 'f', 2)
                             : QStringLiteral("%1 s").arg(c.ours, 0, 'f', 4);
        const QString reference = c.reference <= 0 ? QStringLiteral("-")
            : memory ? QStringLiteral("%1 MB").arg(c.reference / 1e6, 0, 'f', 0)
                     : QStringLiteral("%1 s").arg(c.reference, 0, 'f', 4);
        const QString ratio = c.reference > 0 ? QString::number(c.ratio(), 'f', 2) : QStringLiteral("-");
        const QString peak = c.peak > 0 ? QStringLiteral("%1 MB").arg(c.peak / 1e6, 0, 'f', 0) : QString();
        const QString peer = c.peer > 0 ? QStringLiteral("%1 s").arg(c.peer, 0, 'f', 3) : QStringLiteral("-");
        const QString peerRatio = c.peer > 0 ? QString::number(c.peerRatio(), 'f', 2) : QStringLiteral("-");
        std::printf("%-14s %12s %12s %8s  %-28s %-5s %-7s %10s %6s  %s\n", qPrintable(c.name),
                    qPrintable(ours), qPrintable(reference), qPrintable(ratio), qPrintable(c.target),
                    c.pass ? "yes" : "NO", qPrintable(peak), qPrintable(peer), qPrintable(peerRatio),
                    qPrintable(c.note));
        allPass = allPass && c.pass;
        list.append(QJsonObject{{QStringLiteral("case"), c.name},
                                {QStringLiteral("ours_s"), memory ? QJsonValue() : QJsonValue(c.ours)},
                                {QStringLiteral("ours_bytes"), memory ? QJsonValue(c.ours) : QJsonValue()},
                                {QStringLiteral("ref_bytes"), memory ? QJsonValue(c.reference) : QJsonValue()},
                                {QStringLiteral("ref_s"), c.reference > 0 && !memory
                                     ? QJsonValue(c.reference) : QJsonValue()},
                                {QStringLiteral("ratio"), c.reference > 0 ? QJsonValue(c.ratio()) : QJsonValue()},
                                {QStringLiteral("peer_s"), c.peer > 0 ? QJsonValue(c.peer) : QJsonValue()},
                                {QStringLiteral("peer_ratio"), c.peer > 0 ? QJsonValue(c.peerRatio()) : QJsonValue()},
                                {QStringLiteral("target"), c.target},
                                {QStringLiteral("note"), c.note},
                                {QStringLiteral("pass"), c.pass}});
    }
    std::printf("\nload %.0f MB/s, search-miss %.0f MB/s\n", mb / loadTime, mb / missTime);

    const QJsonObject results{{QStringLiteral("doc_bytes"), size},
                              {QStringLiteral("peak_rss_bytes"), peak},
                              {QStringLiteral("cases"), list}};
    QFile json(words.peers ? QStringLiteral("results.json")
                           : QStringLiteral("results-%1.json").arg(words.name));
    if (json.open(QIODevice::WriteOnly))
        json.write(QJsonDocument(results).toJson());
    form.hide();
    return allPass ? 0 : 1;
}
