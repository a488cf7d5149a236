#include "app/form1.h"
#include "menuitem.h"
#include "editing/numberlines.h"
#include "modalanswer.h"
#include "platform/codepage.h"
#include "platform/commondialog.h"
#include "platform/textbox.h"

#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QAbstractScrollArea>
#include <QTest>

class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numberLines_data();
    void numberLines();
    void numberLinesPastNineHundredNinetyNine();
    void caseTables_data();
    void caseTables();
    void caseTablesKeepLengthAndSettle();

    void clipboardCommands_data();
    void clipboardCommands();
    void keyboardUsesTheCodePage();
    void selectAll_data();
    void selectAll();
    void caseCommands_data();
    void caseCommands();
    void numberLinesCommand();
    void largeTextInParts_data();
    void largeTextInParts();
    void largeChangeKeepsTheView_data();
    void largeChangeKeepsTheView();
    void undoKeys_data();
    void undoKeys();
    void font();
    void fontCancelled();
    void colours_data();
    void colours();
};

namespace {

QClipboard *systemClipboard()
{
    return QGuiApplication::clipboard();
}

}

void TestEditing::numberLines_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("numbered");

    QTest::newRow("a CR LF b CR LF") << QByteArray("a\r\nb\r\n") << QByteArray("001  a\r\n002  b\r\n");
    QTest::newRow("empty document") << QByteArray() << QByteArray();
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QByteArray("001  \r\n002  \r\n");
    QTest::newRow("LF alone ends a line") << QByteArray("a\nb\n") << QByteArray("001  a\n002  b\n");
    QTest::newRow("CR alone does not") << QByteArray("a\rb\n") << QByteArray("001  a\rb\n");
    QTest::newRow("no line feed at all") << QByteArray("[boot]") << QByteArray("001  [boot]");
    QTest::newRow("text after the last line feed")
        << QByteArray("a\r\nb") << QByteArray("001  a\r\n002  b");
    QTest::newRow("twice") << QByteArray("001  x\r\n") << QByteArray("001  001  x\r\n");
    QTest::newRow("NUL and high bytes kept")
        << QByteArray("\0\xe9\n", 3) << QByteArray("001  \0\xe9\n", 8);
}

void TestEditing::numberLines()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, numbered);
    QCOMPARE(::numberLines(text), numbered);
}

void TestEditing::numberLinesPastNineHundredNinetyNine()
{
    QByteArray text;
    for (int i = 0; i < 100001; ++i)
        text += "k=v\r\n";
    const QList<QByteArray> lines = ::numberLines(text).split('\n');
    QCOMPARE(lines.size(), 100002);  // the last split is the empty rest
    QCOMPARE(lines.at(998), QByteArray("999  k=v\r"));
    QCOMPARE(lines.at(999), QByteArray("1000  k=v\r"));
    QCOMPARE(lines.at(9999), QByteArray("10000  k=v\r"));
    QCOMPARE(lines.at(99999), QByteArray("100000  k=v\r"));
    QCOMPARE(lines.at(100000), QByteArray("100001  k=v\r"));
    QCOMPARE(lines.last(), QByteArray());
}

void TestEditing::caseTables_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("upper");
    QTest::addColumn<QByteArray>("lower");

    QTest::newRow("ASCII") << QByteArray("Load=Run") << QByteArray("LOAD=RUN") << QByteArray("load=run");
    QTest::newRow("no letters") << QByteArray("[1]=\r\n") << QByteArray("[1]=\r\n") << QByteArray("[1]=\r\n");
    QTest::newRow("e acute") << QByteArray("\xe9\xc9") << QByteArray("\xc9\xc9") << QByteArray("\xe9\xe9");
    QTest::newRow("y diaeresis 0xFF and 0x9F") << QByteArray("\xff\x9f") << QByteArray("\x9f\x9f")
                                               << QByteArray("\xff\xff");
    QTest::newRow("S caron 0x9A and 0x8A") << QByteArray("\x9a\x8a") << QByteArray("\x8a\x8a")
                                           << QByteArray("\x9a\x9a");
    QTest::newRow("sharp s stays") << QByteArray("\xdf") << QByteArray("\xdf") << QByteArray("\xdf");
    QTest::newRow("micro stays") << QByteArray("\xb5") << QByteArray("\xb5") << QByteArray("\xb5");
    QTest::newRow("0x9D has no case") << QByteArray("\x9d") << QByteArray("\x9d") << QByteArray("\x9d");
    QTest::newRow("NUL") << QByteArray("a\0b", 3) << QByteArray("A\0B", 3) << QByteArray("a\0b", 3);
}

void TestEditing::caseTables()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, upper);
    QFETCH(QByteArray, lower);
    QCOMPARE(codepage::toUpper(text), upper);
    QCOMPARE(codepage::toLower(text), lower);
}

void TestEditing::caseTablesKeepLengthAndSettle()
{
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = char(i);
    const QByteArray upper = codepage::toUpper(every);
    QCOMPARE(upper.size(), 256);
    QCOMPARE(codepage::toUpper(codepage::toLower(upper)), upper);
    QCOMPARE(codepage::toLower(codepage::toUpper(codepage::toLower(every))), codepage::toLower(every));
}

void TestEditing::clipboardCommands_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QByteArray>("textAfter");
    QTest::addColumn<QString>("clipboardAfter");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("Copy [ab]c") << QByteArray("abc") << 0 << 2 << "EditCopy" << "junk"
                                << QByteArray("abc") << "ab" << -1;
    QTest::newRow("Copy with nothing selected empties the clipboard")
        << QByteArray("abc") << 1 << 0 << "EditCopy" << "junk" << QByteArray("abc") << "" << -1;
    QTest::newRow("Copy \\x80\\xe9 gives euro and e acute")
        << QByteArray("\x80\xe9") << 0 << 2 << "EditCopy" << "" << QByteArray("\x80\xe9")
        << QString::fromUtf8("€é") << -1;
    QTest::newRow("Cut a[b\\r\\n]c") << QByteArray("ab\r\nc") << 1 << 3 << "EditCut" << "junk"
                                     << QByteArray("ac") << "b\r\n" << 1;
    QTest::newRow("Cut with nothing selected") << QByteArray("abc") << 1 << 0 << "EditCut" << "junk"
                                               << QByteArray("abc") << "" << 1;
    QTest::newRow("Paste over [b]") << QByteArray("abc") << 1 << 1 << "EditPaste" << "XY"
                                    << QByteArray("aXYc") << "XY" << 3;
    QTest::newRow("Paste at the caret") << QByteArray("abc") << 3 << 0 << "EditPaste" << "\r\nd"
                                        << QByteArray("abc\r\nd") << "\r\nd" << 6;
    QTest::newRow("Paste an empty clipboard deletes the selection")
        << QByteArray("abc") << 0 << 2 << "EditPaste" << "" << QByteArray("c") << "" << 0;
    QTest::newRow("Paste euro, and a character the code page lacks")
        << QByteArray("") << 0 << 0 << "EditPaste" << QString::fromUtf8("€ж")
        << QByteArray("\x80?") << QString::fromUtf8("€ж") << 2;
    QTest::newRow("Paste keeps a lone LF") << QByteArray("") << 0 << 0 << "EditPaste" << "a\nb"
                                           << QByteArray("a\nb") << "a\nb" << 3;
}

void TestEditing::clipboardCommands()
{
    QFETCH(QByteArray, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, command);
    QFETCH(QString, clipboardBefore);
    QFETCH(QByteArray, textAfter);
    QFETCH(QString, clipboardAfter);
    QFETCH(int, caretAfter);

    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText(text);
    editor.setSelection(start, length);
    if (clipboardBefore.isEmpty())
        systemClipboard()->clear();
    else
        systemClipboard()->setText(clipboardBefore);

    trigger(form, qPrintable(command));

    QCOMPARE(editor.text(), textAfter);
    QCOMPARE(systemClipboard()->text(), clipboardAfter);
    if (caretAfter < 0) {
        QCOMPARE(editor.selStart(), start);
        QCOMPARE(editor.selLength(), length);
    } else {
        QCOMPARE(editor.selStart(), caretAfter);
        QCOMPARE(editor.selLength(), 0);
    }
    // One command, one undo step.
    if (textAfter != text) {
        editor.undo();
        QCOMPARE(editor.text(), text);
    }
}

// The text box's own keys cross the clipboard and take typed characters through the code
// page as the menu commands do.
void TestEditing::keyboardUsesTheCodePage()
{
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWidget *input = form.editor()->inputWidget();

    // As a keyboard layout with these keys sends them (keyClicks knows only ASCII).
    for (const QString key : {QString::fromUtf8("€"), QString::fromUtf8("é")})
        QTest::sendKeyEvent(QTest::Click, input, Qt::Key_unknown, key, Qt::NoModifier);
    QCOMPARE(form.editor()->text(), QByteArray("\x80\xe9"));

    form.editor()->setSelection(0, 2);
    QTest::keyClick(input, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(systemClipboard()->text(), QString::fromUtf8("€é"));

    systemClipboard()->setText(QString::fromUtf8("Œ\n"));
    form.editor()->setSelection(2, 0);
    QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.editor()->text(), QByteArray("\x80\xe9\x8c\n"));
    form.close();
}

void TestEditing::selectAll_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty document") << QByteArray();
    QTest::newRow("CR LF counts two") << QByteArray("a\r\nb");
    QTest::newRow("NUL inside") << QByteArray("a\0b", 3);
}

void TestEditing::selectAll()
{
    QFETCH(QByteArray, text);
    Form1 form;
    form.editor()->setText(text);
    form.editor()->setSelection(1, 0);
    trigger(form, "EditSelect");
    QCOMPARE(form.editor()->selStart(), 0);
    QCOMPARE(form.editor()->selLength(), text.size());
    QCOMPARE(form.editor()->selectedText(), text);
}

void TestEditing::caseCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("Upper [load]=x") << "ProcessUpper" << QByteArray("load=x") << 0 << 4
                                    << QByteArray("LOAD=x");
    QTest::newRow("Upper nothing selected") << "ProcessUpper" << QByteArray("load") << 2 << 0
                                            << QByteArray("load");
    QTest::newRow("Upper l[oad=\\xe9\\xff\\xdf]") << "ProcessUpper" << QByteArray("load=\xe9\xff\xdf")
                                                  << 1 << 7 << QByteArray("lOAD=\xc9\x9f\xdf");
    QTest::newRow("Lower [RUN=\\xc9\\r\\n]X") << "ProcessLower" << QByteArray("RUN=\xc9\r\nX") << 0 << 6
                                              << QByteArray("run=\xe9\r\nX");
    QTest::newRow("Lower no letters") << "ProcessLower" << QByteArray("[1]=\r\n") << 0 << 6
                                      << QByteArray("[1]=\r\n");
}

void TestEditing::caseCommands()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, text);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QByteArray, after);

    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText(text);
    editor.setSelection(start, length);
    trigger(form, qPrintable(command));
    QCOMPARE(editor.text(), after);
    QCOMPARE(editor.selStart(), start);
    QCOMPARE(editor.selLength(), length);
    if (after != text) {
        editor.undo();
        QCOMPARE(editor.text(), text);
    } else {
        QVERIFY(!editor.isUndoAvailable());
    }
}

void TestEditing::numberLinesCommand()
{
    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText("a\r\nb\r\n");
    editor.setSelection(3, 1);
    trigger(form, "ProcessNumber");
    QCOMPARE(editor.text(), QByteArray("001  a\r\n002  b\r\n"));
    trigger(form, "ProcessNumber");
    QCOMPARE(editor.text(), QByteArray("001  001  a\r\n002  002  b\r\n"));
    editor.undo();
    QCOMPARE(editor.text(), QByteArray("001  a\r\n002  b\r\n"));
}

// Megabytes are changed a part at a time: lines of every length, one longer than a part, lone
// CRs and no line end at the end come out as the whole would, as one undo step.
void TestEditing::largeTextInParts_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("selectAll");
    QTest::newRow("Number Lines") << "ProcessNumber" << false;
    QTest::newRow("Upper Case") << "ProcessUpper" << true;
    QTest::newRow("Lower Case") << "ProcessLower" << true;
}

void TestEditing::largeTextInParts()
{
    QFETCH(QString, command);
    QFETCH(bool, selectAll);

    QByteArray text = "[Windows]\r\n";
    for (int i = 0; text.size() < 2 * (1 << 20); ++i)
        text += "Load=" + QByteArray(i % 300, char('a' + i % 26)) + (i % 5 ? "\r\n" : "\r");
    text += QByteArray(TextBox::PartSize + 100, 'Q') + "\n";
    for (int i = 0; i < 20000; ++i)
        text += "caf\xe9 \xc9t\xe9=" + QByteArray::number(i) + "\r\n";
    text += "no line end";
    const QByteArray expected = command == QLatin1String("ProcessNumber") ? ::numberLines(text)
        : command == QLatin1String("ProcessUpper")                        ? codepage::toUpper(text)
                                                                          : codepage::toLower(text);

    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText(text);
    if (selectAll)
        editor.setSelection(0, text.size());
    trigger(form, qPrintable(command));
    QVERIFY(editor.text() == expected);
    QCOMPARE(editor.selStart(), 0);
    QCOMPARE(editor.selLength(), selectAll ? text.size() : 0);
    editor.undo();
    QVERIFY(editor.text() == text);
}

// A change of many lines is made with wrapping paused (all lines one row high meanwhile): the
// line the user had scrolled to stays at the top, although the lines above it wrap.
void TestEditing::largeChangeKeepsTheView_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Upper Case") << "ProcessUpper";
    QTest::newRow("Lower Case") << "ProcessLower";
}

void TestEditing::largeChangeKeepsTheView()
{
    QFETCH(QString, command);
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TextBox &editor = *form.editor();
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += "Line " + QByteArray::number(i) + " " + QByteArray(600, 'w').replace("ww", "W ") + "\r\n";
    editor.setText(text);
    auto *area = qobject_cast<QAbstractScrollArea *>(editor.inputWidget());
    QVERIFY(area);
    // Wrapped from the top down to well past the place the selection ends.
    QTRY_VERIFY_WITH_TIMEOUT(area->verticalScrollBar()->maximum() > 2 * 3000, 20000);
    // A hundred lines (60 KB) selected from line 1000 on; the box shows the selection's end.
    const qint64 start = text.indexOf("Line 1000 ");
    editor.setSelection(start, text.indexOf("Line 1100 ") - start);
    QApplication::processEvents();
    const qint64 top = editor.firstVisibleLine();
    QVERIFY(top > 1000);
    trigger(form, qPrintable(command));
    form.repaint();
    QCOMPARE(editor.firstVisibleLine(), top);
}

// The undo keys reach the editor's own undo and redo, which pause wrapping around a change of
// thousands of lines; the text and the wrapping are as before the change.
void TestEditing::undoKeys_data()
{
    QTest::addColumn<QKeyCombination>("undo");
    QTest::addColumn<QKeyCombination>("redo");
    QTest::newRow("Ctrl+Z, Ctrl+Y") << QKeyCombination(Qt::ControlModifier, Qt::Key_Z)
                                    << QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
    QTest::newRow("Alt+Backspace, Ctrl+Shift+Z")
        << QKeyCombination(Qt::AltModifier, Qt::Key_Backspace)
        << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
    QTest::newRow("Ctrl+Z, Alt+Shift+Backspace")
        << QKeyCombination(Qt::ControlModifier, Qt::Key_Z)
        << QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, Qt::Key_Backspace);
}

void TestEditing::undoKeys()
{
    QFETCH(QKeyCombination, undo);
    QFETCH(QKeyCombination, redo);

    Form1 form;
    TextBox &editor = *form.editor();
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "key" + QByteArray::number(i) + "=value\r\n";
    editor.setText(text);
    trigger(form, "ProcessNumber");
    const QByteArray numbered = editor.text();
    QVERIFY(numbered != text);
    QWidget *input = editor.inputWidget();

    QTest::keyClick(input, undo.key(), undo.keyboardModifiers());
    QCOMPARE(editor.text(), text);
    QVERIFY(editor.wraps());
    QTest::keyClick(input, redo.key(), redo.keyboardModifiers());
    QCOMPARE(editor.text(), numbered);
    QVERIFY(editor.wraps());
    QTest::keyClick(input, undo.key(), undo.keyboardModifiers());
    QCOMPARE(editor.text(), text);
}

void TestEditing::font()
{
    Form1 form;
    TextBox &editor = *form.editor();
    editor.setText("[windows]");
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(12);
    chosen.setBold(true);
    chosen.setItalic(true);

    bool effectsOffered = true;
    ModalWatcher pick(ModalWatcher::ofType<QFontDialog>(), [&](QWidget *w) {
        auto *dialog = static_cast<QFontDialog *>(w);
        effectsOffered = false;
        for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
            effectsOffered |= box->isVisibleTo(dialog);
        dialog->setCurrentFont(chosen);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    trigger(form, "CustomFont");
    QVERIFY(pick.done());
    QVERIFY(!effectsOffered);
    QCOMPARE(form.commonDialog()->Flags, quint32(3));
    QCOMPARE(editor.textFont().family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(editor.textFont().bold() && editor.textFont().italic());
    QCOMPARE(editor.textFont().pointSizeF(), 12.0);
    QCOMPARE(editor.text(), QByteArray("[windows]"));

    // The dialog starts from its last choice, not from the editor's font; a plain font
    // afterwards takes bold and italic away.
    editor.setTextFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    QFont offered;
    ModalWatcher plain(ModalWatcher::ofType<QFontDialog>(), [&](QWidget *w) {
        auto *dialog = static_cast<QFontDialog *>(w);
        offered = dialog->currentFont();
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setStyleName(QStringLiteral("Book"));  // as the user picks it in the style list
        font.setPointSizeF(10);
        dialog->setCurrentFont(font);
        dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    trigger(form, "CustomFont");
    QVERIFY(plain.done());
    QCOMPARE(offered.family(), QStringLiteral("DejaVu Serif"));
    QVERIFY(offered.bold() && offered.italic());
    QVERIFY(!editor.textFont().bold() && !editor.textFont().italic());
    QCOMPARE(editor.textFont().family(), QStringLiteral("DejaVu Sans"));
}

// A cancel leaves the editor as it was, with cancel reporting on (as the file commands
// leave it) or off.
void TestEditing::fontCancelled()
{
    for (const bool cancelError : {false, true}) {
        Form1 form;
        form.commonDialog()->CancelError = cancelError;
        const QFont before = form.editor()->textFont();
        ModalWatcher cancel(ModalWatcher::ofType<QFontDialog>(), [](QWidget *w) {
            static_cast<QDialog *>(w)->reject();
        });
        trigger(form, "CustomFont");
        QVERIFY(cancel.done());
        QCOMPARE(form.editor()->textFont(), before);
    }
}

void TestEditing::colours_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("cancelError");
    QTest::newRow("Page Color") << "CustomPage" << false << false;
    QTest::newRow("Text Color") << "CustomText" << false << false;
    QTest::newRow("Page Color cancelled") << "CustomPage" << true << false;
    QTest::newRow("Text Color cancelled, cancel reporting on") << "CustomText" << true << true;
}

void TestEditing::colours()
{
    QFETCH(QString, command);
    QFETCH(bool, cancel);
    QFETCH(bool, cancelError);

    Form1 form;
    TextBox &editor = *form.editor();
    form.commonDialog()->CancelError = cancelError;
    form.commonDialog()->Color = 0x00FF0000;  // blue, left by an earlier use
    const QColor back = editor.backColor();
    const QColor fore = editor.foreColor();

    QColor offered;
    ModalWatcher pick(ModalWatcher::ofType<QColorDialog>(), [&](QWidget *w) {
        auto *dialog = static_cast<QColorDialog *>(w);
        offered = dialog->currentColor();
        dialog->setCurrentColor(QColor(0x12, 0x34, 0x56));
        if (cancel)
            dialog->reject();
        else
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    trigger(form, qPrintable(command));
    QVERIFY(pick.done());
    QCOMPARE(offered, QColor(0, 0, 255));

    const QColor expected = cancel ? QColor() : QColor(0x12, 0x34, 0x56);
    if (cancel) {
        QCOMPARE(editor.backColor(), back);
        QCOMPARE(editor.foreColor(), fore);
        QCOMPARE(form.commonDialog()->Color, quint32(0x00FF0000));
    } else if (command == "CustomPage") {
        QCOMPARE(editor.backColor(), expected);
        QCOMPARE(editor.foreColor(), fore);
        QCOMPARE(form.commonDialog()->Color, quint32(0x00563412));
    } else {
        QCOMPARE(editor.foreColor(), expected);
        QCOMPARE(editor.backColor(), back);
    }
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
