#pragma once

#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <functional>

// Watches for the next modal window of type T and acts on it once, the way Qt's own message
// box tests answer their boxes: arm it before the box opens, then check done().
class ModalWatcher : public QObject
{
public:
    ModalWatcher(std::function<bool(QWidget *)> accepts, std::function<void(QWidget *)> act);
    bool done() const { return m_done; }

    template <typename T>
    static std::function<bool(QWidget *)> ofType()
    {
        return [](QWidget *w) { return qobject_cast<T *>(w) != nullptr; };
    }

private:
    void poll();

    std::function<bool(QWidget *)> m_accepts;
    std::function<void(QWidget *)> m_act;
    QTimer m_timer;
    bool m_done = false;
};

// What a message box showed, read before it is answered.
struct MessageSeen
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool plainText = false;     // shown as written, never as markup
    bool blocksWindows = false; // modal to every window of the program
};

// Answers the next message box by clicking a button, or by pressing a key (Enter, Escape).
class ModalAnswer : public ModalWatcher
{
public:
    explicit ModalAnswer(QMessageBox::StandardButton button);
    static std::unique_ptr<ModalAnswer> byKey(Qt::Key key);

    bool answered() const { return done(); }
    const MessageSeen &seen() const { return m_seen; }

private:
    ModalAnswer(std::function<void(QMessageBox *)> answer);

    MessageSeen m_seen;
};

// The text of the box `answer` saw, if it was the program's plain box: its title, no icon,
// only OK, plain text, modal to the whole program. Otherwise says what was wrong, so that a comparison with the expected text fails
// with a reason.
QString plainBoxText(const ModalAnswer &answer);
