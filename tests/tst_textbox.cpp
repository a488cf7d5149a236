#include "app/form1.h"
#include "menuitem.h"
#include "modalanswer.h"
#include "platform/textbox.h"

#include <Qsci/qsciscintillabase.h>

#include <QColorDialog>
#include <QTest>

// `Editor` is a plain text box: a standard text box's keys and mouse, one stream selection.
// The component's state is read from the component itself, where the user's keys act.
class TestTextBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keys_data();
    void keys();
    void mouse_data();
    void mouse();
    void caretTakesTheTextColour();
};

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

void TestTextBox::keys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<qint64>("afterStart");
    QTest::addColumn<qint64>("afterLength");

    const QByteArray two("ab cd\r\nef");
    // The component's own commands do nothing.
    for (const char *keys : {"Ctrl+D", "Ctrl+L", "Ctrl+Shift+L", "Ctrl+T", "Ctrl+Shift+T",
                             "Ctrl+U", "Ctrl+Shift+U", "Ctrl++", "Ctrl+-", "Ctrl+/",
                             "Alt+Shift+Down", "Alt+Shift+Right", "Ctrl+]", "Escape", "Insert"})
        QTest::newRow(keys) << two << qint64(8) << qint64(1) << QString::fromLatin1(keys)
                            << two << qint64(8) << qint64(1);
    // A plain box's keys do what they do everywhere.
    QTest::newRow("Insert does not type over") << two << qint64(0) << qint64(0) << "Ins, X"
                                               << "x" + two << qint64(1) << qint64(0);
    QTest::newRow("Ctrl+Tab types a tab for the selection, over lines too")
        << two << qint64(4) << qint64(4) << "Ctrl+Tab" << QByteArray("ab c\tf")
        << qint64(5) << qint64(0);
    QTest::newRow("Shift+Home selects to the row's start")
        << two << qint64(5) << qint64(0) << "Shift+Home" << two << qint64(0) << qint64(5);
    QTest::newRow("End goes to the row's end") << two << qint64(1) << qint64(0) << "End"
                                               << two << qint64(5) << qint64(0);
    QTest::newRow("Ctrl+Shift+Right selects a word")
        << two << qint64(0) << qint64(0) << "Ctrl+Shift+Right" << two << qint64(0) << qint64(3);
    QTest::newRow("Ctrl+Shift+End selects to the end")
        << two << qint64(3) << qint64(0) << "Ctrl+Shift+End" << two << qint64(3) << qint64(6);
    QTest::newRow("Shift+Down selects a line") << two << qint64(0) << qint64(0) << "Shift+Down"
                                               << two << qint64(0) << qint64(7);
    QTest::newRow("Ctrl+Backspace deletes a word") << two << qint64(5) << qint64(0)
                                                   << "Ctrl+Backspace" << QByteArray("ab \r\nef")
                                                   << qint64(3) << qint64(0);
    QTest::newRow("Shift+Delete cuts") << two << qint64(0) << qint64(3) << "Shift+Del"
                                       << QByteArray("cd\r\nef") << qint64(0) << qint64(0);
    QTest::newRow("Enter types CR LF") << two << qint64(9) << qint64(0) << "Return"
                                       << two + "\r\n" << qint64(11) << qint64(0);
    QTest::newRow("Ctrl+A selects all") << two << qint64(1) << qint64(0) << "Ctrl+A"
                                        << two << qint64(0) << qint64(9);
}

void TestTextBox::keys()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QFETCH(QString, keys);
    QFETCH(QByteArray, after);
    QFETCH(qint64, afterStart);
    QFETCH(qint64, afterLength);

    Form1 form;
    TextBox &editor = shown(form, text);
    editor.setSelection(start, length);
    QTest::keySequence(editor.inputWidget(), QKeySequence(keys));
    QCOMPARE(editor.text(), after);
    QCOMPARE(editor.selStart(), afterStart);
    QCOMPARE(editor.selLength(), afterLength);
    verifyPlain(editor);
}

// A drag from the second character of the first line to the third of the second, with the
// modifiers the component would take for a rectangle or a further selection.
void TestTextBox::mouse_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<qint64>("afterStart");
    QTest::addColumn<qint64>("afterLength");

    QTest::newRow("drag") << Qt::KeyboardModifiers() << qint64(1) << qint64(9);
    QTest::newRow("Alt+drag is a plain drag") << Qt::KeyboardModifiers(Qt::AltModifier)
                                              << qint64(1) << qint64(9);
    QTest::newRow("Ctrl+drag is a plain drag") << Qt::KeyboardModifiers(Qt::ControlModifier)
                                               << qint64(1) << qint64(9);
    QTest::newRow("Shift+drag extends the selection")
        << Qt::KeyboardModifiers(Qt::ShiftModifier) << qint64(0) << qint64(10);
}

void TestTextBox::mouse()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(qint64, afterStart);
    QFETCH(qint64, afterLength);

    Form1 form;
    TextBox &editor = shown(form, "abcdef\r\nghijkl");
    QsciScintillaBase &sci = component(editor);
    const auto point = [&](unsigned long position) {
        return QPoint(int(sci.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0UL, long(position))),
                      int(sci.SendScintilla(Sci::SCI_POINTYFROMPOSITION, 0UL, long(position)))
                          + 2);
    };
    QWidget *viewport = sci.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, modifiers, point(1));
    QMouseEvent move(QEvent::MouseMove, point(10), viewport->mapToGlobal(point(10)),
                     Qt::NoButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, point(10));
    QCOMPARE(editor.selStart(), afterStart);
    QCOMPARE(editor.selLength(), afterLength);
    verifyPlain(editor);

    // A click with Ctrl puts the caret there and starts no second selection.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, point(3));
    QCOMPARE(editor.selStart(), 3);
    QCOMPARE(editor.selLength(), 0);
    QWheelEvent wheel(QPointF(point(3)), viewport->mapToGlobal(QPointF(point(3))), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(viewport, &wheel);
    verifyPlain(editor);
}

// The caret is drawn in the text colour: after a black page and a white text it is white.
void TestTextBox::caretTakesTheTextColour()
{
    Form1 form;
    TextBox &editor = *form.editor();
    QsciScintillaBase &sci = component(editor);
    for (const char *command : {"CustomPage", "CustomText"}) {
        const QColor colour = QLatin1String(command) == "CustomPage" ? Qt::black : Qt::white;
        ModalWatcher pick(ModalWatcher::ofType<QColorDialog>(), [&](QWidget *w) {
            auto *dialog = static_cast<QColorDialog *>(w);
            dialog->setCurrentColor(colour);
            dialog->accept();
        });
        trigger(form, command);
        QVERIFY(pick.done());
    }
    QCOMPARE(editor.backColor(), QColor(Qt::black));
    const long bgr = sci.SendScintilla(Sci::SCI_GETCARETFORE);
    QCOMPARE(QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff), QColor(Qt::white));
}

QTEST_MAIN(TestTextBox)
#include "tst_textbox.moc"
