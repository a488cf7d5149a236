#include "platform/textbox.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QPalette>
#include <QVBoxLayout>

#include <algorithm>

class TextBox::Component : public QsciScintilla
{
public:
    explicit Component(QWidget *parent) : QsciScintilla(parent) {}

    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }

protected:
    // A text box in a window passes Tab and Shift+Tab on to the next control; Ctrl+Tab
    // still types a tab character.
    bool focusNextPrevChild(bool next) override
    {
        return QAbstractScrollArea::focusNextPrevChild(next);
    }
};

TextBox::TextBox(QWidget *parent)
    : QFrame(parent), m_component(new Component(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_component);
    setFocusProxy(m_component);
    setFocusPolicy(Qt::StrongFocus);

    Component &sci = *m_component;
    sci.setUtf8(false);
    sci.setEolMode(QsciScintilla::EolWindows);
    sci.setMargins(0);
    sci.setWrapMode(QsciScintilla::WrapWord);
    sci.send(QsciScintillaBase::SCI_SETHSCROLLBAR, 0);
    sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sci.setFont(QApplication::font());
    sci.setPaper(palette().color(QPalette::Base));
    sci.setColor(palette().color(QPalette::Text));
}

TextBox::~TextBox() = default;

// The component's own buffer, gap closed; valid until the next change of the text.
static const char *characters(const QsciScintilla &sci)
{
    return static_cast<const char *>(
        sci.SendScintillaPtrResult(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
}

QByteArray TextBox::text() const
{
    return bytes().toByteArray();
}

QByteArrayView TextBox::bytes() const
{
    return QByteArrayView(characters(*m_component), length());
}

void TextBox::setText(const QByteArray &bytes)
{
    Component &sci = *m_component;
    // Wrapping while the text goes in costs seconds on a few megabytes; wrapping afterwards is
    // lazy. Insert and delete notifications only feed the component's accessibility layer,
    // which counts characters from the start on each one.
    const long wrap = sci.send(QsciScintillaBase::SCI_GETWRAPMODE);
    const long eventMask = sci.send(QsciScintillaBase::SCI_GETMODEVENTMASK);
    sci.send(QsciScintillaBase::SCI_SETWRAPMODE, QsciScintillaBase::SC_WRAP_NONE);
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, 0);
    sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0);

    sci.send(QsciScintillaBase::SCI_CLEARALL);
    sci.SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()),
                      bytes.constData());

    sci.send(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    sci.send(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1);
    sci.send(QsciScintillaBase::SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    sci.send(QsciScintillaBase::SCI_GOTOPOS, 0);
    sci.send(QsciScintillaBase::SCI_SETWRAPMODE, static_cast<unsigned long>(wrap));
    // Changing the wrap mode makes the component show its scroll bar only when needed.
    sci.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

qint64 TextBox::length() const
{
    return m_component->send(QsciScintillaBase::SCI_GETLENGTH);
}

qint64 TextBox::selStart() const
{
    return m_component->send(QsciScintillaBase::SCI_GETSELECTIONSTART);
}

qint64 TextBox::selLength() const
{
    return m_component->send(QsciScintillaBase::SCI_GETSELECTIONEND) - selStart();
}

QByteArray TextBox::selectedText() const
{
    return QByteArray(characters(*m_component) + selStart(), selLength());
}

void TextBox::setSelection(qint64 start, qint64 length)
{
    const qint64 size = this->length();
    start = std::clamp<qint64>(start, 0, size);
    length = std::clamp<qint64>(length, 0, size - start);
    m_component->send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(start),
                      long(start + length));
}

bool TextBox::isUndoAvailable() const
{
    return m_component->isUndoAvailable();
}

void TextBox::undo()
{
    m_component->undo();
}

QWidget *TextBox::inputWidget() const
{
    return m_component;
}
