#pragma once

#include <Qsci/qsciscintilla.h>

#include "platform/gapbuffer.h"
#include "platform/linefit.h"

#include <QFont>

#include <functional>
#include <map>
#include <optional>

// The text component under TextBox, set up as a plain text box: text without styles, a plain
// box's keys and mouse (see its constructor), the clipboard and typed text through the code
// page. It draws in UTF-8, which draws every page's characters (its 8-bit mode draws Latin-1
// alone), while the document's own bytes are kept beside it, one byte a character; a
// character's index is its byte's offset. Only TextBox and its helpers in this folder use it.
class TextBoxComponent : public QsciScintilla
{
public:
    explicit TextBoxComponent(QWidget *parent);

    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }

    // The font last set, for what the component does not draw (strikeout).
    QFont font;

    // Undo and redo can change a whole document at once; see WrapPause.
    void undo() override;
    void redo() override;

    // The box wraps only while a line is wider than it: a text whose lines all fit looks the
    // same unwrapped, and spares the component laying out every line (half a minute of a core
    // for 64 MiB, after every load and every change of the whole text). fitWrap() decides
    // from the whole text, after a load, a large change, a new width or a new font; an edit
    // made meanwhile turns wrapping on when its line may no longer fit.
    void fitWrap();
    // After a change of the font: how wide each byte is drawn.
    void measureText();
    // Runs `setText`, which puts `text` in place of the whole text, while another thread
    // decides whether `text` needs wrapping, for the end of the wrap pause the caller holds.
    void setTextDeciding(QByteArrayView text, const std::function<void()> &setText);
    // The document's bytes from `start`, contiguous; moves the gap only if it lies inside.
    QByteArrayView range(qint64 start, qint64 length)
    {
        settle();
        return m_bytes.range(start, length);
    }
    GapBuffer &bytes()
    {
        settle();
        return m_bytes;
    }
    // Puts the whole text in place, with `setText` deciding on wrapping as above.
    void load(const QByteArray &bytes);
    // Replaces the bytes from `start` to `end` by `bytes`, as the user's edit.
    void replaceBytes(qint64 start, qint64 end, QByteArrayView bytes);

    // A change of megabytes is kept for Undo here, as the bytes it replaced, instead of by the
    // component, which would keep both the old and the new text in UTF-8 (on 64 MiB of
    // Cyrillic, 240 MB, and as long again to copy them); the component's history holds a token
    // in its place, and undoing or redoing it swaps the kept bytes with the text there. From
    // beginBigChange() to endBigChange() the component records nothing; everything changed
    // lies from `start` to `end` (of the text before). Turning the component's recording off
    // ends its undo step: endBigChange() opens `depth` again. Without the memory to keep the
    // bytes, the component records the change as any other.
    void beginBigChange(qint64 start, qint64 end);
    void endBigChange(int depth);
    // Lets go of the kept bytes, with the component's history.
    void forgetBigChanges();

    // Sets `sci` up to draw the page's characters, as the text box does.
    static void drawInCodePage(QsciScintilla &sci);

    // Lets go of the component's count of characters per line: a change of most of the text is
    // made faster without it (kept up to date line by line, it costs twice a new count).
    void dropIndex();
    // The byte offset of a position of the component's UTF-8 text, and back.
    qint64 index(long position);
    long position(qint64 index);
    // The line that holds the byte at `index`, and the offset where a line starts (the length
    // of the text for the line after the last).
    long lineOf(qint64 index);
    qint64 lineStart(long line);

    // While paused, nothing wraps; resuming decides again. See WrapPause.
    void pauseWrap();
    void resumeWrap();

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    QMimeData *toMimeData(const QByteArray &text, bool rectangular) const override;
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyWrap();
    const LineFit &fit();
    void setWrapMode(long mode);
    void beforeChange(int position, int type, int length);
    // Keeps the bytes in step with a change the component is about to make, and tells a
    // screen reader of it.
    void follow(int position, int type, const char *text, int length);
    // Reads the text of an insertion the component told of without it, now that it is in, and
    // counts the characters of the lines again where a change made the count wrong.
    void settle();
    // Swaps the bytes kept for the big change the component's undo or redo just reached.
    void swapDue();
    char byteAt(qint64 at);
    void useIndex();
    bool joinsLineEnd(qint64 start, qint64 end, QByteArrayView inserted);
    // How wide a row may be drawn without wrapping or scrolling sideways.
    qint64 room() const;

    enum class Wrap { Unneeded, Words, TooLong };
    static Wrap decide(QByteArrayView before, QByteArrayView after, const LineFit &widths, qint64 room);
    Wrap m_wrap = Wrap::Unneeded;
    std::optional<Wrap> m_decided;  // for the text just set; see setTextDeciding()
    LineFit m_fit;
    bool m_measured = false;
    int m_pauses = 0;
    long m_pausedTopLine = 0;
    int m_roomWidth = -1;
    bool m_settingMode = false;
    // The document's bytes, one a character of the component's text.
    GapBuffer m_bytes;
    // The bytes of the insertion replaceBytes() is making, and whether the component told of it.
    std::optional<QByteArrayView> m_inserting;
    bool m_told = false;
    bool m_loading = false;
    // An offset and its position known without the count per line (see index()).
    struct Anchor
    {
        qint64 index;
        long position;
    };
    std::optional<Anchor> m_anchor;
    // Where an insertion told of without its text is, and how many bytes of UTF-8 it has.
    struct Unread
    {
        Anchor at;
        int length;
    };
    std::optional<Unread> m_unread;
    // A big change: where its text is now, and the bytes it replaced or, once undone, the
    // bytes undoing it replaced.
    struct BigChange
    {
        qint64 start;
        qint64 length;
        QByteArray other;
        bool undone;
    };
    std::map<long, BigChange> m_bigChanges;  // by token
    long m_lastToken = 0;
    std::optional<BigChange> m_open;          // the one being made
    std::optional<long> m_due;                // reached by the component's undo or redo
    // How many bytes a load or the undo of a big change gives the component at a time.
    static constexpr qsizetype Part = 1 << 20;
    bool m_reindex = false;  // the count per line went wrong: made again when next needed
    bool m_indexed = false;  // whether the component keeps the count per line now
    // The known place nearest to an offset (or, with index -1, to a position), if near.
    std::optional<Anchor> nearest(qint64 index, long position);
    static constexpr qint64 Near = 1 << 20;
    static constexpr qint64 Far = 8 << 20;
};
