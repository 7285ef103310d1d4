#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

// The file ffmpeg writes into: a new hidden file beside the chosen one, so that
// the chosen name holds either what it held before or the whole new clip, never
// a half-written one. Its name says what it is, for anyone who finds one left
// behind by a power cut, and ends in the chosen suffix so that ffmpeg picks the
// same container.
class TemporaryClip {
public:
    // Creates the file, exclusively, beside the file `chosenPath` names (beside
    // the file a symbolic link leads to, so that the link stays). A file being
    // replaced lends it its permission bits. Gives nothing, and says why in
    // `error`, when the folder takes no new file.
    static std::optional<TemporaryClip> create(const QString& chosenPath, QString& error);

    TemporaryClip(TemporaryClip&& other) noexcept;
    TemporaryClip& operator=(TemporaryClip&&) = delete;
    TemporaryClip(const TemporaryClip&) = delete;
    TemporaryClip& operator=(const TemporaryClip&) = delete;
    // Removes the file unless it has been committed.
    ~TemporaryClip();

    QString path() const { return path_; }
    // Where commit() puts the clip: the chosen path, or the file its link names.
    QString destination() const { return destination_; }

    // Flushes the clip to disk, renames it onto the destination and flushes the
    // folder. Replaces only a file that was at the destination when create()
    // ran. False, with the reason in `error`, when any step fails; the file is
    // then removed.
    bool commit(QString& error);

    // Removes the file now, and only if it is still the one created here.
    void discard();

private:
    TemporaryClip(QString path, QString destination, bool replaces, dev_t device, ino_t inode);
    // The file at path() is the one create() made, not one put there since.
    bool isStillCreated() const;

    QString path_;
    QString destination_;
    bool replaces = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool pending = false;
};

// The hidden name of a clip being written for `chosenName`, with `unique` in
// it: ".holiday.mp4.velborn-unfinished-k3J9aB.mp4". Kept within the 255 bytes
// a file name may have.
QString temporaryClipName(const QString& chosenName, const QString& unique);
