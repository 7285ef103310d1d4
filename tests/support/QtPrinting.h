#pragma once

#include <QString>

#include <ostream>

// Lets GoogleTest print a QString that failed a check as text.
inline void PrintTo(const QString& text, std::ostream* stream)
{
    *stream << '"' << text.toStdString() << '"';
}
