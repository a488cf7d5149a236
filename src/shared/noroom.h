#pragma once

#include "platform/messagebox.h"
#include "shared/appinfo.h"

#include <QWidget>

// What a command whose result the editor cannot take says in place of running: the text and
// its undo steps stay as they were (see TextBox::makeRoom()).
inline void refuseNoRoom(QWidget *parent)
{
    msgbox::show(parent,
                 QStringLiteral("There is not enough memory for this change. "
                                "The text has not been changed."),
                 msgbox::OkOnly, appinfo::title());
}
