#pragma once

#include "FileDescriptor.h"

#include <QByteArray>

#include <optional>

// A folder of this run's own (mode 0700) in the clip's destination folder, in
// which ffmpeg writes the clip: nobody else can create, replace or redirect
// anything in it, whatever they may do in the destination folder. It is locked
// (flock) for as long as it is held, so that a later run can tell a folder
// left by a writer that is gone. Its name says what it is, for anyone who
// finds one left by a power cut: ".velborn-unfinished-k3J9aB".
class PrivateFolder {
public:
    // Makes one in the folder `parent` holds open, which must outlive it;
    // nothing, with errno set, when it cannot.
    static std::optional<PrivateFolder> create(int parent);

    PrivateFolder(PrivateFolder&&) noexcept = default;
    PrivateFolder& operator=(PrivateFolder&&) = delete;
    ~PrivateFolder() { remove(); }

    int descriptor() const { return folder.get(); }

    // Removes what is in it, then the folder itself, while its name in the
    // parent still names it. Anything someone has put under that name stays.
    void remove();

private:
    PrivateFolder(int parent, FileDescriptor folder, QByteArray name);

    int parent = -1;
    FileDescriptor folder;
    QByteArray name;
};

// Removes the private folders earlier runs left in the folder `parent` holds
// open: those of this user whose lock can be taken, as their writer is gone.
void removeLeftoverPrivateFolders(int parent);
