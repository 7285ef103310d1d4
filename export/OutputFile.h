#pragma once

#include <QDateTime>
#include <QString>

// What a file looked like at one moment, to tell afterwards whether a program
// created or changed it.
struct FileState {
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;

    bool operator==(const FileState&) const = default;
};

FileState fileStateOf(const QString& path);

// Removes the file at `path` when it is not as it was `before`: a broken clip
// goes, a file the failed run never touched stays.
void removeIfChanged(const QString& path, const FileState& before);
