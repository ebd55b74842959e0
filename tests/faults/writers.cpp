#include "writers.h"

#include <QStandardPaths>


namespace writers {

std::unique_ptr<QProcess> start(const QString& home, const QStringList& arguments)
{
    auto writer = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    writer->setProcessEnvironment(environment);
    writer->setProgram(QStringLiteral(RECORD_WRITER));
    writer->setArguments(arguments);
    writer->start();
    writer->waitForStarted(20000);
    return writer;
}

QString straceProgram()
{
    static const QString usable = [] {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty()
            || QProcess::execute(strace, {QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")}) != 0)
            return QString();
        return strace;
    }();
    return usable;
}

QStringList underStrace(const QStringList& options, const QStringList& writerArguments)
{
    return QStringList{QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null")} + options
           + QStringList{QStringLiteral(RECORD_WRITER)} + writerArguments;
}

QByteArray waitUntilReady(QProcess& writer)
{
    while (!writer.canReadLine()) {
        if (writer.state() != QProcess::Running || !writer.waitForReadyRead(20000))
            return {};
    }
    return writer.readLine().trimmed();
}

QByteArray ask(QProcess& server, const QByteArray& command)
{
    server.write(command + '\n');
    server.waitForBytesWritten(20000);
    return waitUntilReady(server);
}

bool kill(QProcess& writer)
{
    if (writer.state() != QProcess::Running)
        return false;
    writer.kill();
    writer.waitForFinished(20000);
    return writer.exitStatus() == QProcess::CrashExit;
}

QString howItEnded(QProcess& writer)
{
    return QStringLiteral("exit code %1: %2")
        .arg(writer.exitCode())
        .arg(QString::fromLocal8Bit(writer.readAllStandardError()).trimmed());
}

}  // namespace writers
