#pragma once

#include "app/form1.h"

#include <QAction>

// Runs a menu item of the main window by its name, as a click on it does.
inline void trigger(Form1 &form, const char *item)
{
    form.findChild<QAction *>(QLatin1String(item))->trigger();
}
