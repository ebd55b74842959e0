#include "platform/host_system.h"
#include "report/run.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    host_system::prepareTextOutput();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("physics-drill-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DRILL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return report_run::run(QCoreApplication::arguments(), out, err);
}
