#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFrame>

class QColor;
class QFont;

// The multi-line text box that holds the document. Its text is bytes in the program's code
// page, kept exactly: CR LF counts as two characters, lone CR and LF, NUL and 0x80-0xFF stay
// as they are. Positions are 0-based byte offsets.
class TextBox : public QFrame
{
    Q_OBJECT

public:
    explicit TextBox(QWidget *parent = nullptr);
    ~TextBox() override;

    // The largest text it takes: 1 GiB, and no more than a third of the memory available now
    // (a load needs about 2.6 times the file's size at its peak, measured on 320 MB).
    static qint64 capacity();
    // Whether a text is one the box can hold and show: not beyond its capacity, and no line
    // over 1 MiB (each paint of such a line takes seconds).
    static bool canHold(QByteArrayView bytes);

    QByteArray text() const;
    // The text without a copy; valid until the next change of the text.
    QByteArrayView bytes() const;
    // Replaces the whole text as a load does: no undo step, the caret at the start. Long lines
    // wrap, unless the text holds a line of over 256 KiB (see wraps()).
    void setText(const QByteArray &bytes);
    bool wraps() const;
    qint64 length() const;

    qint64 selStart() const;
    qint64 selLength() const;
    QByteArray selectedText() const;
    void setSelection(qint64 start, qint64 length);
    // Puts `bytes` in place of the selection; the caret ends after them.
    void replaceSelection(QByteArrayView bytes);
    // Replaces the whole text as an edit the user can undo; the caret ends at the start.
    void replaceAll(QByteArrayView bytes);
    // Replaces `length` bytes from `start` as an edit the user can undo.
    void replace(qint64 start, qint64 length, QByteArrayView bytes);

    // Everything between two calls is one step for Undo; see UndoStep.
    void beginUndoStep();
    void endUndoStep();

    bool isUndoAvailable() const;
    void undo();

    // How the whole text is shown: one font and two colours for all of it.
    QFont textFont() const;
    void setTextFont(const QFont &font);
    QColor backColor() const;
    void setBackColor(const QColor &color);
    QColor foreColor() const;
    void setForeColor(const QColor &color);

    // The widget that takes the keyboard focus and the keys; the box is its focus proxy.
    QWidget *inputWidget() const;

private:
    void replaceRange(qint64 start, qint64 end, QByteArrayView bytes);

    class Component;
    Component *m_component;
};

// One command, one undo step, whichever way the command ends.
class UndoStep
{
public:
    explicit UndoStep(TextBox &box) : m_box(box) { m_box.beginUndoStep(); }
    ~UndoStep() { m_box.endUndoStep(); }
    UndoStep(const UndoStep &) = delete;
    UndoStep &operator=(const UndoStep &) = delete;

private:
    TextBox &m_box;
};
