#include "app/program.h"
#include "platform/qt_platform.h"

int main(int argc, char* argv[])
{
    QtPlatform platform;
    return runProgram(argc, argv, platform);
}
