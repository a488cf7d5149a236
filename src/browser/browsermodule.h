#pragma once

#include <QString>

#include <vector>

// The web browser window lives in a library of its own, on Qt WebEngine, which the program
// loads the first time the window is opened: the engine's libraries are large, and loaded at
// start they cost every run about 25 MB of memory and part of its start-up.
namespace browsermodule {

// Before the application object exists. The engine must share its graphics context with the
// application's, which can only be asked for then. And Chromium cannot sandbox a process that
// runs as root, so only then is the sandbox turned off, with a line on standard error: the
// returned arguments, for the application's, tell the engine so. Nothing goes into the
// environment, which every program started from here would inherit.
std::vector<const char *> prepareProcess();

// Opens a new browser window on `address`. False, with the reason in `why`, when the browser's
// library cannot be loaded.
bool open(const QString &address, QString *why);

}
