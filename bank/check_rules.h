#pragma once

#include <QString>

// The rules by which the bank checker tells a likely slip from what the
// writer meant.
namespace check_rules {

// A warning for an item that begins like a marker but is none: a capital
// "`Q" or "`A", a quote in place of the back-quote, or a marker after
// blanks. Empty when the item begins otherwise.
QString markerSlip(const QString& item);

// The number of an item that reads like an assignment header without the
// point after its number ("201 Projectiles", "201:", "201-"); empty for any
// other item, also for an item that begins with a quantity ("012 g of ice").
QString unpointedHeaderNumber(const QString& item);

// A routine name that names a picture file: it ends in .png, .jpg, .jpeg or
// .svg.
bool isPictureName(const QString& name);

// A picture's name that names a file in the bank file's own folder: no
// folder, no "..".
bool isBesideTheBank(const QString& name);

}  // namespace check_rules
