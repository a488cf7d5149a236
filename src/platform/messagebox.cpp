#include "platform/messagebox.h"

#include <QMessageBox>

namespace msgbox {

int show(QWidget *parent, const QString &prompt, int style, const QString &title)
{
    QMessageBox box(parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    box.setIcon((style & Question) ? QMessageBox::Question : QMessageBox::NoIcon);

    if (style & YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton((style & DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }

    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return Ok;
    }
}

}
