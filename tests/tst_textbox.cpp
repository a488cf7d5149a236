#include "app/form1.h"
#include "platform/linefit.h"
#include "platform/textbox.h"
#include "support.h"

#include <Qsci/qsciscintilla.h>

#include <QClipboard>
#include <QColorDialog>

namespace {

using Sci = QsciScintillaBase;

QsciScintillaBase &component(TextBox &box)
{
    return *qobject_cast<QsciScintillaBase *>(box.inputWidget());
}

// Nothing of the component's own beyond a plain box: no zoom, no typing over, one selection
// and that not a rectangle.
void verifyPlain(TextBox &box)
{
    QsciScintillaBase &sci = component(box);
    QCOMPARE(sci.SendScintilla(Sci::SCI_GETZOOM), 0L);
    QCOMPARE(sci.SendScintilla(Sci::SCI_GETOVERTYPE), 0L);
    QCOMPARE(sci.SendScintilla(Sci::SCI_GETSELECTIONS), 1L);
    QCOMPARE(sci.SendScintilla(Sci::SCI_SELECTIONISRECTANGLE), 0L);
}

// The main window on the screen, its editor holding `text` with the caret at the start.
TextBox &shown(Form1 &form, const QByteArray &text)
{
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qWarning("the window was not shown");
    form.editor()->setText(text);
    return *form.editor();
}

}

// The text, its selection (start, length), the keys; then the text, selection and clipboard after.
struct Keys {
    QByteArray text;
    qint64 start, length;
    QString keys;
    QByteArray after;
    qint64 afterStart, afterLength;
    QString clipboard = QStringLiteral("kept");
};
// The modifiers held; then the selection after.
struct Drag { Qt::KeyboardModifiers modifiers; qint64 afterStart, afterLength; };

// `Editor` is a plain text box: a standard text box's keys and mouse, one stream selection.
// The component's state is read from the component itself, where the user's keys act.
class TestTextBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keys_data()
    {
        const QByteArray two("ab cd\r\nef");
        QList<std::pair<const char *, Keys>> rows;
        // The component's own commands do nothing.
        for (const char *keys :
             {"Ctrl+D", "Ctrl+L", "Ctrl+Shift+L", "Ctrl+T", "Ctrl+Shift+T", "Ctrl+U", "Ctrl+Shift+U", "Ctrl++",
              "Ctrl+-", "Ctrl+/", "Alt+Shift+Down", "Alt+Shift+Right", "Ctrl+]", "Escape", "Insert"})
            rows.append({keys, {two, 8, 1, keys, two, 8, 1}});
        // A plain box's keys do what they do everywhere.
        rows += {{"Insert does not type over", {two, 0, 0, "Ins, X", "x" + two, 1, 0}},
                 {"Ctrl+Tab types a tab for the selection, over lines too", {two, 4, 4, "Ctrl+Tab", "ab c\tf", 5, 0}},
                 {"Shift+Home selects to the row's start", {two, 5, 0, "Shift+Home", two, 0, 5}},
                 {"End goes to the row's end", {two, 1, 0, "End", two, 5, 0}},
                 {"Ctrl+Shift+Right selects a word", {two, 0, 0, "Ctrl+Shift+Right", two, 0, 3}},
                 {"Ctrl+Shift+End selects to the end", {two, 3, 0, "Ctrl+Shift+End", two, 3, 6}},
                 {"Shift+Down selects a line", {two, 0, 0, "Shift+Down", two, 0, 7}},
                 {"Ctrl+Backspace deletes a word", {two, 5, 0, "Ctrl+Backspace", "ab \r\nef", 3, 0}},
                 {"Shift+Delete cuts", {two, 0, 3, "Shift+Del", "cd\r\nef", 0, 0, "ab "}},
                 {"Enter types CR LF", {two, 9, 0, "Return", two + "\r\n", 11, 0}},
                 {"Ctrl+A selects all", {two, 1, 0, "Ctrl+A", two, 0, 9}}};
        table<Keys>(rows);
    }
    void keys()
    {
        const Keys &r = row<Keys>();
        Form1 form;
        TextBox &editor = shown(form, r.text);
        editor.setSelection(r.start, r.length);
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        QTest::keySequence(editor.inputWidget(), QKeySequence(r.keys));
        QCOMPARE(editor.text(), r.after);
        QCOMPARE(QGuiApplication::clipboard()->text(), r.clipboard);
        QCOMPARE(QList<qint64>({editor.selStart(), editor.selLength()}), QList<qint64>({r.afterStart, r.afterLength}));
        verifyPlain(editor);
    }

    // A line feed put right after a carriage return makes one line end of the two: offsets
    // far after it (beyond what is measured from a known place, so through the count of
    // characters per line) still name the same characters in the component.
    void lineEndsJoined()
    {
        Form1 form;
        const QByteArray lines = QByteArray("\xe9\r\n").repeated(3000000);
        TextBox &editor = shown(form, "ab\rcd\r\n" + lines + "gh" + lines);
        const qint64 gh = 7 + lines.size();
        editor.setSelection(gh, 0);
        editor.replace(3, 0, "\n");
        editor.setSelection(gh + 1, 2);
        QCOMPARE(qobject_cast<QsciScintilla *>(editor.inputWidget())->selectedText(), "gh");
    }

    // A drag from the second character of the first line to the third of the second, with the
    // modifiers the component would take for a rectangle or a further selection.
    void mouse_data()
    {
        table<Drag>({{"drag", {{}, 1, 9}}, {"Alt+drag is a plain drag", {Qt::AltModifier, 1, 9}},
                     {"Ctrl+drag is a plain drag", {Qt::ControlModifier, 1, 9}},
                     {"Shift+drag extends the selection", {Qt::ShiftModifier, 0, 10}}});
    }
    void mouse()
    {
        const auto &[modifiers, afterStart, afterLength] = row<Drag>();
        Form1 form;
        TextBox &editor = shown(form, "abcdef\r\nghijkl");
        QsciScintillaBase &sci = component(editor);
        const auto point = [&](long position) {
            return QPoint(int(sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, position)),
                          int(sci.SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, position)) + 2);
        };
        QWidget *viewport = sci.viewport();
        QTest::mousePress(viewport, Qt::LeftButton, modifiers, point(1));
        QMouseEvent move(QEvent::MouseMove, point(10), viewport->mapToGlobal(point(10)), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, point(10));
        QCOMPARE(QList<qint64>({editor.selStart(), editor.selLength()}), QList<qint64>({afterStart, afterLength}));
        verifyPlain(editor);
        // A click with Ctrl puts the caret there and starts no second selection; Ctrl+wheel does not zoom.
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, point(3));
        QCOMPARE(QList<qint64>({editor.selStart(), editor.selLength()}), QList<qint64>({3, 0}));
        QWheelEvent wheel(point(3), viewport->mapToGlobal(point(3)), {}, {0, 120}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        verifyPlain(editor);
    }

    // The caret is drawn in the text colour: after a black page and a white text it is white.
    void caretTakesTheTextColour()
    {
        Form1 form;
        TextBox &editor = *form.editor();
        QsciScintillaBase &sci = component(editor);
        for (const char *command : {"CustomPage", "CustomText"}) {
            const QColor colour = QLatin1String(command) == "CustomPage" ? Qt::black : Qt::white;
            ModalWatcher pick(QColorDialog::staticMetaObject, [&](QWidget *w) {
                auto *dialog = static_cast<QColorDialog *>(w);
                dialog->setCurrentColor(colour);
                dialog->accept();
            });
            run(form, command);
            QVERIFY(pick.done());
        }
        QCOMPARE(editor.backColor(), QColor(Qt::black));
        const long bgr = sci.SendScintilla(Sci::SCI_GETCARETFORE);
        QCOMPARE(QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff), QColor(Qt::white));
    }

    // Two lines that fit the box with little to spare; then an action, after which the box wraps
    // or not. While it does not, nothing scrolls sideways.
    void wrapping_data()
    {
        table<QString>({{"sideways wheel", "wheel"}, {"typing past the edge", "type"}, {"undo of that", "type, undo"},
                        {"a line end deleted", "join"}, {"a few control characters", "controls"},
                        {"a long line replaced in", "replace"}, {"narrower box", "narrow"},
                        {"narrower, then as wide again", "narrow, widen"},
                        {"an edit in the middle, then narrower", "middle, narrow"}, {"larger font", "font"},
                        {"a new text while scrolled down: from its top", "scroll, load"}});
    }
    void wrapping()
    {
        const QString &action = row<QString>();
        const bool wraps = !QStringList{"wheel", "type, undo", "narrow, widen"}.contains(action);  // ends as it began
        Form1 form;
        TextBox &editor = shown(form, {});
        QFont font = editor.textFont();
        font.setPointSize(100);
        editor.setTextFont(font);
        QsciScintillaBase &sci = component(editor);
        LineFit fit;
        fit.measure(font, 8);
        // As close to the edge as the box lets a line come without wrapping.
        const qint64 room = sci.viewport()->width() - 4;
        QByteArray line(room / fit.width("W"), 'W');
        while (fit.width(line + "'") <= room)
            line += "'";
        editor.setText(line + "\r\nW");
        QVERIFY(!editor.wraps());
        const QSize size = editor.size();
        for (const QString &step : action.split(", ")) {
            QWheelEvent wheel({5, 5}, sci.viewport()->mapToGlobal(QPointF(5, 5)), {}, {-240, 0}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            if (step == "wheel")
                QApplication::sendEvent(sci.viewport(), &wheel);
            if (step == "type" || step == "join" || step == "middle")
                editor.setSelection(step == "middle" ? line.size() / 2 : line.size(), 0);
            if (step == "type")
                QTest::keyClicks(editor.inputWidget(), "WWW");
            if (step == "join" || step == "middle")
                for (int i = step == "join" ? 2 : 1; i > 0; --i)
                    QTest::keyClick(editor.inputWidget(), Qt::Key_Delete);
            if (step == "undo")
                QTest::keyClick(editor.inputWidget(), Qt::Key_Z, Qt::ControlModifier);
            if (step == "controls")
                editor.setText(QByteArray(room / fit.width("\x01") + 1, '\x01') + "\r\n");
            if (step == "replace")
                editor.replace(0, 0, QByteArray(20000, 'x'));
            if (step == "narrow" || step == "widen")
                editor.resize(step == "narrow" ? size.width() * 2 / 3 : size.width(), size.height());
            if (step == "scroll") {
                editor.setText(QByteArray("W\n").repeated(500));
                sci.SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, 400UL);
            }
            if (step == "load") {
                editor.setText(QByteArray("W\n").repeated(500) + line + "WW");
                QCOMPARE(sci.SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE), 0L);
            }
            if (step == "font") {
                font.setPointSize(110);
                editor.setTextFont(font);
            }
        }
        QCOMPARE(editor.wraps(), wraps);
        QCOMPARE(sci.SendScintilla(Sci::SCI_GETXOFFSET), 0L);
    }

    // What the box takes a byte's width to be is never less than what the component draws, for
    // every byte, tabs after any number of letters, and pairs a font may kern apart.
    void widthsAreUpperBounds_data()
    {
        table<QFont>({{"the desktop's font", QApplication::font()},
                      {"large, bold, italic", QFont(QStringLiteral("DejaVu Serif"), 23, QFont::Bold, true)}});
    }
    void widthsAreUpperBounds()
    {
        const QFont &font = row<QFont>();
        TextBox box;
        box.resize(20000, 100);
        box.setTextFont(font);
        QsciScintillaBase &sci = component(box);
        LineFit fit;
        fit.measure(font, int(sci.SendScintilla(Sci::SCI_GETTABWIDTH)));
        QList<QByteArray> lines;
        for (int byte = 0; byte < 256; ++byte) {
            if (byte != '\n' && byte != '\r')
                lines << QByteArray(16, char(byte));
        }
        for (int letters = 0; letters < 20; ++letters)
            lines << QByteArray(letters, 'i') + "\t" + QByteArray(letters, 'W') + "\t.";
        lines << "AVAVAVAV To Ty Yo LT ff fi ffl r, y. \"A\" 'A' W. P, F. Te" << "\xe9\x80\x9f\xff\xa0";
        for (const QByteArray &line : lines) {
            box.setText(line);
            const long drawn = sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, long(line.size()))
                - sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, 0L);
            QVERIFY2(fit.width(line) >= drawn,
                     qPrintable(QString::fromLatin1(line.toHex()) + QString::number(fit.width(line)) + " "
                                + QString::number(drawn)));
        }
    }
};

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
