#include <QApplication>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <sys/vfs.h>

namespace {

// The record files of the benchmarks live in the temporary folder: its file
// system says what a synced write costs there.
std::string fileSystemOf(const QString& path)
{
    struct statfs info {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return "unknown";
    switch (info.f_type) {
    case 0xEF53:
        return "ext2/3/4";
    case 0x01021994:
        return "tmpfs (no disk)";
    case 0x9123683E:
        return "btrfs";
    case 0x58465342:
        return "xfs";
    case 0x794C7630:
        return "overlayfs";
    default:
        return "other";
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    // Every figure is taken on the offscreen platform unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Physics Drill"));
    benchmark::AddCustomContext("qt_version", qVersion());
    benchmark::AddCustomContext("qt_platform", QGuiApplication::platformName().toStdString());

    benchmark::AddCustomContext("temp_folder", QDir::tempPath().toStdString());
    benchmark::AddCustomContext("temp_folder_fs", fileSystemOf(QDir::tempPath()));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
