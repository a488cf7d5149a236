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

    QByteArray text() const;
    // The text without a copy; valid until the next change of the text.
    QByteArrayView bytes() const;
    // Replaces the whole text as a load does: no undo step, the caret at the start.
    void setText(const QByteArray &bytes);
    qint64 length() const;

    qint64 selStart() const;
    qint64 selLength() const;
    QByteArray selectedText() const;
    void setSelection(qint64 start, qint64 length);

    bool isUndoAvailable() const;
    void undo();

    // The widget that takes the keyboard focus and the keys; the box is its focus proxy.
    QWidget *inputWidget() const;

private:
    class Component;
    Component *m_component;
};
