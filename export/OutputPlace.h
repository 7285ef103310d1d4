#pragma once

#include "FileDescriptor.h"
#include "PrivateFolder.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Where a clip goes: the chosen path resolved once, by the kernel, and held as
// descriptors from then on. The checks, the private folder ffmpeg writes in,
// the rename onto the chosen name and every removal go through them, so that
// nobody renaming or swapping names meanwhile can send the clip elsewhere.
class OutputPlace {
public:
    // Opens the folder `chosenPath` names as the kernel finds it (a relative
    // path from the working folder), the clip's name being its last part. A
    // symbolic link under that name is followed by the kernel, with its rules
    // on links planted by others, to the file it leads to, which is then
    // replaced and the link stays. Nothing, with why in `error`, when the name
    // cannot take a clip: a folder, anything but a regular file, a link to
    // nothing or a loop of links, a folder that cannot be opened.
    static std::optional<OutputPlace> resolve(const QString& chosenPath, QString& error);

    OutputPlace(OutputPlace&&) noexcept = default;
    OutputPlace& operator=(OutputPlace&&) = delete;
    // Removes what this run wrote, unless it has been committed.
    ~OutputPlace() { discard(); }

    // The chosen name, the last part of the chosen path.
    QString name() const { return chosenName; }
    // A file is under the name now, to be replaced by the clip.
    bool replaces() const { return replaced.isOpen(); }
    // Whether the clip would replace the file `input` holds open.
    bool wouldReplace(int input) const;

    // Removes the private folders of earlier runs whose writer is gone, then
    // makes this run's. False, with why in `error`, when the folder takes no
    // new one.
    bool prepare(QString& error);
    // Where ffmpeg writes the clip and ffprobe reads it, once prepared: in the
    // private folder, through this process's descriptor on it, so that no
    // name can redirect it; named as chosen, as the suffix picks the writer.
    QString clipPath() const;

    // Flushes the clip to disk, renames it onto the chosen name and flushes
    // the folder. Replaces only the file that was there when resolve() ran,
    // lending it that file's permission bits but never its set-id or sticky
    // bits. False, with the reason in `error`, when any step fails; what this
    // run wrote is then removed.
    bool commit(QString& error);

    // Removes what this run wrote, through the descriptors held: the private
    // folder and the clip in it. Nothing else.
    void discard() { privateFolder.reset(); }

private:
    OutputPlace(FileDescriptor folder, QByteArray name, QString chosenName,
                FileDescriptor replaced);
    bool placeClip(QString& error);

    FileDescriptor folder;
    QByteArray fileName; // in `folder`: the chosen name, or the file its link leads to
    QString chosenName;
    FileDescriptor replaced; // what is under the name now, held open

    std::optional<PrivateFolder> privateFolder;
};
