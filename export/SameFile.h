#pragma once

#include <QString>

// Whether two paths name one file, whatever way they take to it: a linked
// folder, a hard link, "..". False when either names no file.
bool namesSameFile(const QString& first, const QString& second);
