#include "modalanswer.h"

#include <QPushButton>
#include <QApplication>
#include <QTest>

ModalWatcher::ModalWatcher(std::function<bool(QWidget *)> accepts,
                           std::function<void(QWidget *)> act)
    : m_accepts(std::move(accepts)), m_act(std::move(act))
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalWatcher::poll);
    m_timer.start();
}

void ModalWatcher::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !m_accepts(modal))
        return;
    m_timer.stop();
    m_done = true;
    m_act(modal);
}

ModalAnswer::ModalAnswer(QMessageBox::StandardButton button)
    : ModalAnswer([button](QMessageBox *box) {
          if (QAbstractButton *b = box->button(button))
              b->click();
      })
{
}

std::unique_ptr<ModalAnswer> ModalAnswer::byKey(Qt::Key key)
{
    return std::unique_ptr<ModalAnswer>(new ModalAnswer([key](QMessageBox *box) {
        // To the box's own focus (its default button), which the application may not have
        // passed to it yet.
        QWidget *target = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(target, key);
    }));
}

ModalAnswer::ModalAnswer(std::function<void(QMessageBox *)> answer)
    : ModalWatcher(ofType<QMessageBox>(), [this, answer](QWidget *modal) {
          auto *box = static_cast<QMessageBox *>(modal);
          m_seen.text = box->text();
          m_seen.title = box->windowTitle();
          m_seen.icon = box->icon();
          m_seen.buttons = box->standardButtons();
          m_seen.defaultButton = box->defaultButton()
              ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
          m_seen.plainText = box->textFormat() == Qt::PlainText;
          m_seen.blocksWindows = box->windowModality() == Qt::ApplicationModal;
          answer(box);
      })
{
}

QString plainBoxText(const ModalAnswer &answer)
{
    if (!answer.answered())
        return QStringLiteral("(no box)");
    const MessageSeen &seen = answer.seen();
    if (seen.title != QStringLiteral("Tansy's INI Editor 3.0") || seen.icon != QMessageBox::NoIcon
        || seen.buttons != QMessageBox::Ok || !seen.plainText || !seen.blocksWindows)
        return QStringLiteral("(not the plain box: %1)").arg(seen.text);
    return seen.text;
}
