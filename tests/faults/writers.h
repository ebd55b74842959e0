#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <memory>

// Starts and stops record_writer children (see record_writer.cpp).
namespace writers {

// Starts a writer with $HOME set to `home`; waits until it runs.
std::unique_ptr<QProcess> start(const QString& home, const QStringList& arguments);

// Waits for the writer's "ready" line and returns it; empty when the writer
// ended or did not get ready within 20 seconds.
QByteArray waitUntilReady(QProcess& writer);

// Sends one command line to a writer server ("record_writer serve") and
// returns its answer; empty when none comes within 20 seconds.
QByteArray ask(QProcess& server, const QByteArray& command);

// Kills the writer with SIGKILL and reaps it. False when the writer had
// already ended by itself.
bool kill(QProcess& writer);

// The strace program, or "" where it is missing or ptrace is not permitted.
QString straceProgram();

// The arguments that run a writer under strace with these options: its
// output discarded, children followed.
QStringList underStrace(const QStringList& options, const QStringList& writerArguments);

// What a writer that ended by itself said on its error output.
QString howItEnded(QProcess& writer);

}  // namespace writers
