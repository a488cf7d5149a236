#pragma once

#include <Qsci/qsciscintilla.h>

#include "platform/linefit.h"

#include <QFont>

#include <functional>
#include <optional>

// The text component under TextBox, set up as a plain text box: 8-bit text without styles,
// a plain box's keys and mouse (see its constructor), the clipboard and typed text through
// the program's code page. Only TextBox and its helpers in this folder use it.
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
    // The text from `start`, contiguous; moves the component's gap only if it lies inside.
    QByteArrayView range(qint64 start, qint64 length) const;

    // While paused, nothing wraps; resuming decides again. See WrapPause.
    void pauseWrap();
    void resumeWrap();

protected:
    bool focusNextPrevChild(bool next) override;
    QMimeData *toMimeData(const QByteArray &text, bool rectangular) const override;
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyWrap();
    const LineFit &fit();
    void setWrapMode(long mode);
    void beforeChange(int position, int type, int length);
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
};
