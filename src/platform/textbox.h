#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFrame>

#include <functional>

class QColor;
class QFont;
class TextBoxComponent;

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
    // Whether lines wider than the box wrap now: only while there is one, and none longer than
    // textlimits::LongestWrappedLine.
    bool wraps() const;
    qint64 length() const;

    qint64 selStart() const;
    qint64 selLength() const;
    QByteArray selectedText() const;
    void setSelection(qint64 start, qint64 length);
    // Puts `bytes` in place of the selection; the caret ends after them.
    void replaceSelection(QByteArrayView bytes);
    // Replaces `length` bytes from `start` as an edit the user can undo.
    void replace(qint64 start, qint64 length, QByteArrayView bytes);

    // Rewrites the text from `start` to `end` a part at a time, left to right, so that a new
    // text of many megabytes never exists whole beside the old one and its undo history.
    // `part` is shown the old text not yet rewritten (up to `end`; the view is valid during
    // the call) and returns how many of its first bytes it rewrites, at least one, putting
    // what they become into `into`. Returns the end of the new text. Called inside an
    // UndoStep, the whole rewrite is one step. `growth`, where known, is how many bytes the
    // text grows by; a caller that grows the text makes room for them first (makeRoom()),
    // once, instead of the component adding a sixth more each time it runs out.
    using Part = std::function<qsizetype(QByteArrayView rest, QByteArray &into)>;
    qint64 rewrite(qint64 start, qint64 end, const Part &part, qint64 growth = 0);
    // Whether the text may grow by `growth` bytes: to no more than the capacity a load has
    // (textlimits), and with the memory for it had now, for the component's text and the
    // bytes beside it. When not, nothing has changed; a command then refuses to run rather
    // than end the program halfway.
    bool makeRoom(qint64 growth);
    // What the box's own paste key does in place of a paste the text cannot take: the window
    // that holds the box says it.
    std::function<void()> noRoom;
    // How much old text a part should take at most, for rewrite()'s parts to stay small.
    static constexpr qsizetype PartSize = 2 << 20;

    // Everything between two calls is one step for Undo; see UndoStep.
    void beginUndoStep();
    void endUndoStep();
    // See BigChange.
    void beginBigChange(qint64 start, qint64 end);
    void endBigChange();

    bool isUndoAvailable() const;
    void undo();
    // Lets go of the undo history; the text stays.
    void forgetUndo();

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
    // Replaces what differs between `old`, the bytes from `at`, and `now`.
    void replaceChanges(qint64 at, QByteArrayView old, QByteArrayView now);
    // The same without anything around it, for a caller that has set up the change.
    void replaceTarget(qint64 start, qint64 end, QByteArrayView bytes);

    TextBoxComponent *m_component;
    int m_undoDepth = 0;
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

// A command that changes megabytes of the text, from `start` to `end` (of the text before),
// inside its UndoStep and around all of its changes: Undo gets back the bytes it replaced,
// kept once, where the text component would keep the old and the new text in its UTF-8.
class BigChange
{
public:
    BigChange(TextBox &box, qint64 start, qint64 end) : m_box(box)
    {
        m_box.beginBigChange(start, end);
    }
    ~BigChange() { m_box.endBigChange(); }
    BigChange(const BigChange &) = delete;
    BigChange &operator=(const BigChange &) = delete;

private:
    TextBox &m_box;
};
