#include "app/form1.h"
#include "platform/textbox.h"

#include <QAccessible>
#include <QTest>

// What screen readers read of the editor and change in it: its text in the code page's
// characters, caret and selection. (Whether they hear of changes is tst_atspi's, on the real
// accessibility bus, which the offscreen platform has not.)
class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textCaretSelectionAndEdits()
    {
        Form1 form;
        TextBox &editor = *form.editor();
        QAccessibleInterface *box = QAccessible::queryAccessibleInterface(editor.inputWidget());
        QCOMPARE(box->role(), QAccessible::EditableText);
        QVERIFY(box->state().multiLine && box->state().editable);
        QAccessibleTextInterface *text = box->textInterface();
        editor.setText("caf\xe9\r\n\x80\x9d");
        QCOMPARE(text->characterCount(), 8);
        QCOMPARE(text->text(0, 8), QString::fromUtf8("café\r\n€") + QChar(0x9d));
        QCOMPARE(text->text(-5, 2), QStringLiteral("ca"));
        text->setSelection(0, 1, 4);
        QCOMPARE(editor.selStart(), 1);
        QCOMPARE(editor.selLength(), 3);
        text->setCursorPosition(6);
        QCOMPARE(text->cursorPosition(), 6);
        QCOMPARE(text->selectionCount(), 0);

        QAccessibleEditableTextInterface *edit = box->editableTextInterface();
        editor.setText("price=");
        edit->insertText(6, QString::fromUtf8("5€"));
        edit->replaceText(0, 5, QStringLiteral("cost"));
        QCOMPARE(editor.text(), QByteArray("cost=5\x80"));
        edit->deleteText(4, 8);
        QCOMPARE(editor.text(), QByteArray("cost"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
