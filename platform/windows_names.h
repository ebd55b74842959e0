#pragma once

#include <QString>

// Names that Windows gives a meaning of its own. Pure rules, so that they
// are tested on every system; the Windows side of the file layer and the
// record journal both use them.
namespace windows_names {

// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, CONIN$ and CONOUT$, in any
// case and with any extension ("nul.txt", "Con "): Windows opens the device
// whatever folder the name is in.
bool isDeviceName(QStringView name);

// Whether a part of the path is a device name, or the path is one of the
// device namespace (\\.\...).
bool hasDeviceName(QStringView path);

// A name that stays in the folder it is looked up in, on Windows as on
// Linux: not empty, no separator of either system, no drive or stream
// colon, not "." or "..", no device name, and no trailing dot or blank,
// which Windows drops.
bool isPlainName(QStringView name);

}  // namespace windows_names
