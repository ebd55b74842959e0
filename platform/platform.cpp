#include "platform/platform.h"

#include "platform/drill_error.h"

void Platform::endProgram(int status)
{
    throw ProgramEnd{status};
}
