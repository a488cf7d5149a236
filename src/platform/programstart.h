#pragma once

class QString;

namespace programstart {

// Starts the file `program` as a new process and does not wait for it. The whole text is the
// program's path: no shell reads it and it carries no arguments, so "a.exe & rm -rf ~" names
// one program with that odd name. False when nothing could be started.
bool start(const QString &program);

}
