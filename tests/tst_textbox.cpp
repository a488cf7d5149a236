#include "app/form1.h"
#include "platform/linefit.h"
#include "platform/textbox.h"
#include "support.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QRandomGenerator>

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

// The main window on the screen and active, its editor holding `text` with the caret at the
// start and the focus, where the user's keys go.
TextBox &shown(Form1 &form, const QByteArray &text)
{
    form.show();
    form.activateWindow();
    if (!QTest::qWaitForWindowActive(&form))
        qWarning("the window was not shown");
    form.editor()->setText(text);
    return *form.editor();
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

// The longest line of a text, lines ending at a CR or a LF.
qsizetype longestLine(const QByteArray &text)
{
    qsizetype longest = 0;
    for (const QByteArray &line : QByteArray(text).replace('\r', '\n').split('\n'))
        longest = std::max(longest, line.size());
    return longest;
}

// No text is hidden: while the box does not wrap, every line ends within it, unscrolled, or a
// line too long to wrap lets it scroll sideways.
void verifyNothingHidden(TextBox &box)
{
    QApplication::processEvents();
    QsciScintillaBase &sci = component(box);
    const auto *area = qobject_cast<QAbstractScrollArea *>(box.inputWidget());
    const bool scrolls = area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    QVERIFY(!(box.wraps() && scrolls));
    if (box.wraps() || (scrolls && longestLine(box.text()) > (256 << 10)))
        return;
    QCOMPARE(sci.SendScintilla(Sci::SCI_GETXOFFSET), 0L);
    const long lines = sci.SendScintilla(Sci::SCI_GETLINECOUNT);
    for (long line = 0; line < lines; ++line) {
        const long end = sci.SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
        const long x = sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, end);
        QVERIFY2(x < sci.viewport()->width(), qPrintable(QString::number(line)));
    }
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
        for (const char *keys : {"Ctrl+D", "Ctrl+L", "Ctrl+Shift+L", "Ctrl+T", "Ctrl+Shift+T",
                                 "Ctrl+U", "Ctrl+Shift+U", "Ctrl++", "Ctrl+-", "Ctrl+/",
                                 "Alt+Shift+Down", "Alt+Shift+Right", "Ctrl+]", "Escape", "Insert"})
            rows.append({keys, {two, 8, 1, keys, two, 8, 1}});
        // A plain box's keys do what they do everywhere.
        rows += {{"Insert does not type over", {two, 0, 0, "Ins, X", "x" + two, 1, 0}},
            {"Ctrl+Tab types a tab for the selection", {two, 4, 4, "Ctrl+Tab", "ab c\tf", 5, 0}},
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
        QTest::keySequence(focused(), QKeySequence(r.keys));
        QCOMPARE(editor.text(), r.after);
        QCOMPARE(QGuiApplication::clipboard()->text(), r.clipboard);
        QCOMPARE(editor.selStart(), r.afterStart);
        QCOMPARE(editor.selLength(), r.afterLength);
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

    // The mouse of a plain box: Alt+drag selects a stream, not a rectangle, Ctrl+click puts
    // the caret there rather than adding a selection, Shift+click extends the selection, and
    // Ctrl+wheel scrolls rather than zooms.
    void mouse()
    {
        Form1 form;
        TextBox &editor = shown(form, "abcdef\r\nghijkl");
        QsciScintillaBase &sci = component(editor);
        const auto at = [&](long position) {
            return QPoint(int(sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, position)),
                          int(sci.SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, position)) + 2);
        };
        QWidget *viewport = sci.viewport();
        QTest::mousePress(viewport, Qt::LeftButton, Qt::AltModifier, at(1));
        QMouseEvent move(QEvent::MouseMove, at(10), viewport->mapToGlobal(at(10)), Qt::NoButton,
                         Qt::LeftButton, Qt::AltModifier);
        QApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::AltModifier, at(10));
        QCOMPARE(editor.selStart(), 1);
        QCOMPARE(editor.selLength(), 9);
        verifyPlain(editor);
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, at(3));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(12));
        QCOMPARE(editor.selStart(), 3);
        QCOMPARE(editor.selLength(), 9);
        QWheelEvent wheel(at(3), viewport->mapToGlobal(at(3)), {}, {0, 120}, Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        verifyPlain(editor);
    }

    // Whatever a user does, no text is hidden: texts of every kind of line, typing, undo,
    // joined lines, a narrower or wider window, a larger font, a sideways wheel, in an order
    // drawn at random, checked after every step. A new text is shown from its top.
    void nothingHidden()
    {
        Form1 form;
        TextBox &editor = shown(form, {});
        QsciScintillaBase &sci = component(editor);
        QFont font = editor.textFont();
        font.setPointSize(60);
        editor.setTextFont(font);
        const QSize size = form.size();
        // A line of any bytes, tabs too, as close to the edge as the box lets one come
        // without wrapping, by its own measure of the widths.
        QRandomGenerator random(7);
        const auto edge = [&] {
            LineFit fit;
            fit.measure(editor.textFont(), int(sci.SendScintilla(Sci::SCI_GETTABWIDTH)));
            const qint64 room = sci.viewport()->width() - 4;
            QByteArray line;
            for (int tries = 0; tries < 1000; ++tries) {
                const char byte = char(random.bounded(256));
                if (byte != '\r' && byte != '\n' && fit.width(line + byte) <= room)
                    line += byte;
            }
            return line;
        };
        const auto load = [&](const QByteArray &text) {
            editor.setText(QByteArray("W\n").repeated(300));
            sci.SendScintilla(Sci::SCI_SETFIRSTVISIBLELINE, 200UL);
            editor.setText(text);
            QCOMPARE(sci.SendScintilla(Sci::SCI_GETFIRSTVISIBLELINE), 0L);
        };
        const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QTest::keyClick(focused(), key, modifiers);
        };
        const QList<std::pair<const char *, std::function<void()>>> actions = {
            {"lines at the edge", [&] { load(edge() + "\r\nW"); }},
            {"lone CR lines, one wide", [&] { load("a\r" + QByteArray(3000, 'x') + "\rb"); }},
            {"control characters", [&] { load(QByteArray(40, '\x01') + "\r\n"); }},
            {"a line too long to wrap", [&] { load(QByteArray((256 << 10) + 1, 'x') + "\nW"); }},
            {"a line as long as wraps", [&] { load(QByteArray(256 << 10, 'x') + "\r\nW"); }},
            {"type at the first line's end",
                [&] {
                    key(Qt::Key_End, Qt::ControlModifier);
                    key(Qt::Key_Up);
                    key(Qt::Key_End);
                    QTest::keyClicks(focused(), "WW");
                }},
            {"join two lines",
                [&] {
                    key(Qt::Key_Home, Qt::ControlModifier);
                    key(Qt::Key_End);
                    key(Qt::Key_Delete);
                    key(Qt::Key_Delete);
                }},
            {"undo", [&] { key(Qt::Key_Z, Qt::ControlModifier); }},
            {"a long line pasted in", [&] { editor.replace(0, 0, QByteArray(20000, 'x')); }},
            {"narrower", [&] { form.resize(size.width() * 2 / 3, size.height()); }},
            {"wider", [&] { form.resize(size); }},
            {"larger font",
                [&] {
                    font.setPointSize(font.pointSize() + 5);
                    editor.setTextFont(font);
                }},
            {"sideways wheel", [&] {
                 const QPointF at(5, 5);
                 QWheelEvent wheel(at, sci.viewport()->mapToGlobal(at), {}, {-240, 0}, Qt::NoButton,
                                   Qt::NoModifier, Qt::NoScrollPhase, false);
                 QApplication::sendEvent(sci.viewport(), &wheel);
             }}};
        QStringList done;
        for (int step = 0; step < 60; ++step) {
            const auto &[name, act]
                = actions[step < actions.size() ? step : random.bounded(actions.size())];
            done << name;
            act();
            verifyNothingHidden(editor);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable("after: " + done.join(", ")));
        }
    }
};

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
