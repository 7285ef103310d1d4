#pragma once

#include <QString>

// The folder that holds the external programs the application runs. It is
// found from the executable's own location, never from the working directory
// or PATH: for <prefix>/bin/velborn-trimlet it is <prefix>/libexec/velborn-trimlet.
QString resourceFolder();

// Lets a test stand in its own folder of programs. Set it before any tool runs;
// an empty text goes back to the folder beside the executable.
void overrideResourceFolder(const QString& folder);

// The file named exactly `name` in the resource folder, or an empty text when
// there is no such file.
QString pathForResource(const QString& name);
