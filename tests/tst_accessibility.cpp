#include "app/form1.h"
#include "platform/textbox.h"

#include <QAccessible>
#include <QTest>

// What screen readers see of the editor: its text in the code page, its caret and selection.
// (The change events reach Qt only while a platform accessibility bridge is active, which the
// offscreen platform has not: tst_atspi listens for them on the real accessibility bus.)
class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { delete m_form; }
    void init()
    {
        m_form = new Form1;
        m_editor = QAccessible::queryAccessibleInterface(m_form->editor()->inputWidget());
        QVERIFY(m_editor);
        QCOMPARE(m_editor->role(), QAccessible::EditableText);
        QVERIFY(m_editor->state().multiLine && m_editor->state().editable);
        m_text = m_editor->textInterface();
        QVERIFY(m_text && m_editor->editableTextInterface());
    }

    void textCaretAndSelection()
    {
        m_form->editor()->setText("caf\xe9\r\n\x80\x9d");
        QCOMPARE(m_text->characterCount(), 8);
        QCOMPARE(m_text->text(0, 8), QString::fromUtf8("café\r\n€") + QChar(0x9d));
        QCOMPARE(m_text->text(7, 100), QString(QChar(0x9d)));
        QCOMPARE(m_text->text(-5, 2), QStringLiteral("ca"));

        m_text->setSelection(0, 1, 4);
        QCOMPARE(QPoint(m_form->editor()->selStart(), m_form->editor()->selLength()), QPoint(1, 3));
        int start = 0, end = 0;
        m_text->selection(0, &start, &end);
        QCOMPARE(QPoint(start, end), QPoint(1, 4));
        QCOMPARE(m_text->selectionCount(), 1);
        m_text->setCursorPosition(6);
        QCOMPARE(m_text->cursorPosition(), 6);
        QCOMPARE(m_text->selectionCount(), 0);
        QCOMPARE(m_form->editor()->selStart(), 6);
    }

    void boundaries()
    {
        m_form->editor()->setText("[boot]\r\nshell=Explorer.exe x.exe");
        const std::initializer_list<std::tuple<int, QAccessible::TextBoundaryType, QString>> cases = {
            {2, QAccessible::CharBoundary, "o"}, {1, QAccessible::LineBoundary, "[boot]\r\n"},
            {9, QAccessible::LineBoundary, "shell=Explorer.exe x.exe"}, {16, QAccessible::WordBoundary, "Explorer"}};
        for (const auto &[offset, boundary, at] : cases) {
            int start = -1, end = -1;
            QCOMPARE(m_text->textAtOffset(offset, boundary, &start, &end), at);
            QCOMPARE(m_text->text(start, end), at);
        }
    }
    void editing()
    {
        m_form->editor()->setText("price=");
        QAccessibleEditableTextInterface *edit = m_editor->editableTextInterface();
        edit->insertText(6, QString::fromUtf8("5€"));
        QCOMPARE(m_form->editor()->text(), QByteArray("price=5\x80"));
        edit->replaceText(0, 5, QStringLiteral("cost"));
        QCOMPARE(m_form->editor()->text(), QByteArray("cost=5\x80"));
        edit->deleteText(4, 8);
        QCOMPARE(m_form->editor()->text(), QByteArray("cost"));
    }

private:
    Form1 *m_form = nullptr;
    QAccessibleInterface *m_editor = nullptr;
    QAccessibleTextInterface *m_text = nullptr;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
