#pragma once

#include <QString>

#include <cstdint>

class QLineEdit;

// Reads a number out of a field's text the way people expect of a numeric
// field: leading white space, an optional sign, then the digits up to the first
// other character. No digits gives 0; past the 32-bit range it stops at the limit.
std::int32_t intValueOfText(const QString& text);
std::int32_t intValue(const QLineEdit& field);

// Writes a number into a field in plain decimal.
void setIntValue(QLineEdit& field, std::int64_t value);
