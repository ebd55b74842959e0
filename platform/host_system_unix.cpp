#include "platform/host_system.h"

#include <QDir>

namespace host_system {

QString defaultDataFolder()
{
    return QDir::homePath() + QStringLiteral("/korvelan");
}

QStringList arguments(int argc, char** argv)
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

TextOutput prepareTextOutput()
{
    return TextOutput::Streams;
}

}  // namespace host_system
