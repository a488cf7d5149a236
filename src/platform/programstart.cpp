#include "platform/programstart.h"

#include <QProcess>

namespace programstart {

bool start(const QString &program)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {});
}

}
