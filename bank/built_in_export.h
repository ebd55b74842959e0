#pragma once

#include <QByteArray>

// The built-in course text as a bank file, with its course line: the
// starting point for an instructor's own bank.
namespace built_in_export {

QByteArray bankText();

}  // namespace built_in_export
