#pragma once

#include "platform/textbox.h"

#include <QApplication>

// The application a fuzz target of widgets runs in, on the offscreen platform; made on the
// first input, for libFuzzer and the corpus replay alike.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static const QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
}

// One text box for the targets that drive the editor.
inline TextBox &fuzzEditor()
{
    ensureApplication();
    static TextBox *box = new TextBox;
    return *box;
}
