#pragma once

#include <Qsci/qsciscintilla.h>

#include <QFont>

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
};
