#pragma once

#include <QAccessibleWidget>

class QsciScintilla;
class TextBoxComponent;

// What screen readers and accessibility tools see of the text box. The component's own
// interface turns every byte position into a character offset by counting from the start of
// the document, on every change and every caret move: on 64 MiB, a third of a second a key.
// Here a character is a byte of the document, kept beside the component's text, so an answer
// takes the time of one line at most, and the text crosses in the program's code page.
class TextBoxAccessible : public QAccessibleWidget,
                          public QAccessibleTextInterface,
                          public QAccessibleEditableTextInterface
{
public:
    explicit TextBoxAccessible(QsciScintilla *component);

    // Offers this interface for every text box's component in place of the component's own;
    // called before the first component is made.
    static void install();
    static QAccessibleInterface *factory(const QString &className, QObject *object);
    // Passes the component's caret and selection notifications on as below.
    static void followCaret(TextBoxComponent *component);
    // Tells accessibility tools of a change, a caret move or a selection, when any listens:
    // the bytes inserted at `offset`, or those about to go from it.
    static void inserted(QsciScintilla *component, qint64 offset, QByteArrayView bytes);
    static void removed(QsciScintilla *component, qint64 offset, QByteArrayView bytes);
    static void caretOrSelectionMoved(TextBoxComponent *component);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                         int *startOffset, int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    TextBoxComponent *sci() const;
    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    int clamp(int offset) const;
    // The offset of the position a message answers, and the position of an offset.
    int offset(unsigned int message) const;
    unsigned long position(int offset) const;
};
