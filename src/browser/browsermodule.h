#pragma once

#include <QString>

#include <vector>

// The web browser window lives in a library of its own, on Qt WebEngine, which the program
// loads the first time the window is opened: the engine's libraries are large, and loaded at
// start they cost every run about 25 MB of memory and part of its start-up.
namespace browsermodule {

// The arguments for the application object, made before it exists: the process's own, then
// what the web engine is to be told (it reads the application's; the program reads none).
// Chromium cannot sandbox a process that runs as root, so only then is the sandbox turned
// off, with a line on standard error. Nothing goes into the environment, which every program
// started from here would inherit. Keep the object as long as the application.
class ApplicationArguments
{
public:
    ApplicationArguments(int argc, char *argv[]);
    int &count() { return m_count; }
    char **values() { return m_values.data(); }

private:
    std::vector<char *> m_values;
    int m_count = 0;
};

// Opens a new browser window on `address`. False, with the reason in `why`, when the browser's
// library cannot be loaded.
bool open(const QString &address, QString *why);

}
