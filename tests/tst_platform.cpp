#include "platform/codepage.h"
#include "platform/dospaths.h"
#include "platform/linefit.h"
#include "platform/textbox.h"
#include "platform/textlimits.h"
#include "platform/twips.h"
#include "support.h"

#include <QAbstractScrollArea>
#include <QRandomGenerator>

// The files present below the root, the path asked for, the file found.
struct DosPath { QStringList present; QString path, found; };
// A text; whether the box holds it, and wraps it.
struct LongLine { QByteArray text; bool held, wrapped; };

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The program's fixed paths are found below the drive's root as the old file system found
    // them: backslashes and drive letters as DOS wrote them, names in any case.
    void dosPaths_data()
    {
        const QString win = QStringLiteral("/windows/win.ini");
        table<DosPath>({{"exact name", {{"windows/win.ini"}, win, "windows/win.ini"}},
                        {"names in capitals", {{"WINDOWS/WIN.INI"}, win, "WINDOWS/WIN.INI"}},
                        {"exact name before another case", {{"windows/WIN.INI", "windows/win.ini"}, win, "windows/win.ini"}},
                        {"of several cases, the first in byte order", {{"Windows/Win.ini", "Windows/WIN.INI", "Windows/wIN.INI"}, win, "Windows/WIN.INI"}},
                        {"missing file in a folder found", {{"WINDOWS/SYSTEM.INI"}, win, "WINDOWS/win.ini"}},
                        {"nothing there: the path as written", {{}, win, "windows/win.ini"}},
                        {"drive C, backslashes, any case", {{"Program Files/T 3.0/Z.hlp"}, "C:\\PROGRAM FILES\\t 3.0\\z.HLP", "Program Files/T 3.0/Z.hlp"}},
                        {"no drive letter", {{"Program Files/T/Z.hlp"}, "\\Program Files\\T\\Z.hlp", "Program Files/T/Z.hlp"}},
                        {"another drive letter is the same root", {{"a/b"}, "d:\\A\\B", "a/b"}}});
    }
    void dosPaths()
    {
        const DosPath &r = row<DosPath>();
        const TempDrive drive;
        for (const QString &file : r.present)
            drive.write(file, "x");
        QCOMPARE(DosPaths(drive.root()).resolve(r.path), drive.path(r.found));
        QCOMPARE(DosPaths(drive.root()).resolve("a\\b.ini"), QStringLiteral("a/b.ini"));
    }

    void twipsAndCodePage()
    {
        if (qFuzzyCompare(QGuiApplication::primaryScreen()->logicalDotsPerInchX(),
                          96.0)) // 24.67 rounds, not truncates
            QCOMPARE(QList<int>({twips::toPixels(15), twips::toPixels(14790), twips::toPixels(370)}),
                     QList<int>({1, 986, 25}));
        // Undefined bytes are controls; a character the code page lacks is one '?', also beyond the basic plane.
        QCOMPARE(codepage::fromUnicode("load= é ÿ € “x” Ÿ \u0081\u009d ж→ a😀b"),
                 "load= \xe9 \xff \x80 \x93x\x94 \x9f \x81\x9d ?? a?b");
    }

    // The limits on a line's length, at their edges: a line ends at a CR or a LF. A text not
    // wrapped holds no line wider than the box, or scrolls sideways.
    void longLines_data()
    {
        constexpr qsizetype Shown = 1 << 20, Wrapped = 256 << 10;  // the longest line the box takes, and wraps
        const QByteArray lines = QByteArray("key=value\r\n").repeated(50000);
        table<LongLine>({{"short lines", {lines, true, false}},
                         {"wrap limit, first", {QByteArray(Wrapped, 'x') + "\n" + lines, true, true}},
                         {"wrap limit + 1, first", {QByteArray(Wrapped + 1, 'x') + "\n" + lines, true, false}},
                         {"wrap limit, CR LF", {QByteArray(Wrapped, 'x') + "\r\n" + lines, true, true}},
                         {"wrap limit, last, no feed", {lines + QByteArray(Wrapped, 'x'), true, true}},
                         {"wrap limit + 1, last, no feed", {lines + QByteArray(Wrapped + 1, 'x'), true, false}},
                         {"limit, between", {lines + QByteArray(Shown, 'x') + "\n" + lines, true, false}},
                         {"limit + 1, between", {lines + QByteArray(Shown + 1, 'x') + "\n" + lines, false, false}},
                         {"limit + 1, last", {lines + QByteArray(Shown + 1, 'x'), false, false}},
                         {"limit + 1, only CRs", {QByteArray("a\r").repeated(Shown / 2 + 1), true, false}},
                         {"lone CR lines, one wide", {"a\r" + QByteArray(3000, 'x') + "\rb", true, true}},
                         {"limit + 1, CR", {lines + QByteArray(Shown + 1, 'x') + "\r" + lines, false, false}}});
    }
    void longLines()
    {
        const auto &[text, held, wrapped] = row<LongLine>();
        QCOMPARE(textlimits::canHold(text), held);
        TempDrive drive;  // the same read from a file, a part at a time
        const QString file = drive.write("text", text);
        QCOMPARE(textlimits::fileHasLineLongerThan(file, 1 << 20), !held);
        TextBox box;
        box.setText(text);
        QCOMPARE(box.wraps(), wrapped);
        const auto *area = qobject_cast<QAbstractScrollArea *>(box.inputWidget());
        const bool tooLong = textlimits::hasLineLongerThan(text, 256 << 10);
        QCOMPARE(area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff, tooLong);
    }

    // Whether every line fits, against the width of each line on its own: for texts of every kind
    // of byte and line length around the steps the check takes.
    void lineFitAgreesWithEachLine()
    {
        LineFit fit;
        fit.measure(QApplication::font(), 8);
        QRandomGenerator random(19);
        const QByteArray mixed("aaaaaaaaW.    \r\n\n\n\t\x80\x01\x7f"), wide("WWWWWWWWWWWWWWW\n");
        for (int i = 0; i < 20000; ++i) {
            const QByteArray &alphabet = i % 2 ? mixed : wide;
            QByteArray text(random.bounded(120), 'a');
            for (char &c : text)
                c = alphabet.at(random.bounded(alphabet.size()));
            const qint64 room = random.bounded(fit.widest() * 12);
            bool each = true;
            for (const QByteArray &line : QByteArray(text).replace('\r', '\n').split('\n'))
                each = each && fit.width(line) <= room;
            QVERIFY2(fit.allFit(text, room) == each, qPrintable(text.toHex() + " " + QString::number(room)));
        }
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
