#include "OutputPlace.h"

#include "SameFile.h"

#include <QFile>

#include <cerrno>
#include <cstdio> // renameat2

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString lastError()
{
    return qt_error_string(errno);
}

bool sameInode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder part of a path and its last part, as the kernel splits them.
std::pair<QByteArray, QByteArray> splitPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {".", path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

FileDescriptor openFolder(const QByteArray& path)
{
    return FileDescriptor(::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

// What a name that is no regular file cannot take.
QString whyNotReplaced(const struct stat& found, const QString& name)
{
    return S_ISDIR(found.st_mode) ? QStringLiteral("%1 is a folder").arg(name)
                                  : QStringLiteral("%1 is not a regular file").arg(name);
}

// The file a link leads to, opened by the kernel, and its folder and name as
// the kernel resolved them.
struct LinkTarget {
    FileDescriptor folder;
    QByteArray name;
    FileDescriptor file;
};

std::optional<LinkTarget> followLink(int folder, const QByteArray& link, const QString& shown,
                                     QString& error)
{
    LinkTarget followed{
        {}, {}, FileDescriptor(::openat(folder, link.constData(), O_PATH | O_CLOEXEC))};
    struct stat found = {};
    if (!followed.file.isOpen() || ::fstat(followed.file.get(), &found) != 0) {
        error = errno == ENOENT ? QStringLiteral("%1 is a link to a missing file").arg(shown)
                : errno == ELOOP
                    ? QStringLiteral("%1 is a loop of links").arg(shown)
                    : QStringLiteral("cannot follow the link %1: %2").arg(shown, lastError());
        return std::nullopt;
    }
    if (!S_ISREG(found.st_mode)) {
        error = whyNotReplaced(found, shown);
        return std::nullopt;
    }
    const auto [folderPath, name] = splitPath(resolvedPathOf(followed.file.get()));
    followed.folder = openFolder(folderPath);
    followed.name = name;
    struct stat named = {};
    if (!followed.folder.isOpen() ||
        ::fstatat(followed.folder.get(), name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameInode(named, found)) {
        error = QStringLiteral("the file the link %1 leads to moved meanwhile").arg(shown);
        return std::nullopt;
    }
    return followed;
}

// Puts `from` in `fromFolder` at `to` in `toFolder` unless something is there
// by then; false, with errno EEXIST, when something is.
bool renameWithoutReplacing(int fromFolder, const QByteArray& from, int toFolder,
                            const QByteArray& to)
{
    if (::renameat2(fromFolder, from.constData(), toFolder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: a hard link refuses a taken name just as well.
    if (::linkat(fromFolder, from.constData(), toFolder, to.constData(), 0) == 0) {
        ::unlinkat(fromFolder, from.constData(), 0);
        return true;
    }
    if (errno == EEXIST)
        return false;
    // Nor hard links (FAT, some network shares): a look right before is what is left.
    struct stat taken = {};
    if (::fstatat(toFolder, to.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder, from.constData(), toFolder, to.constData()) == 0;
}

void flushFolder(int folder)
{
    const FileDescriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (readable.isOpen())
        ::fsync(readable.get());
}

} // namespace

std::optional<OutputPlace> OutputPlace::resolve(const QString& chosenPath, QString& error)
{
    const auto [folderPath, name] = splitPath(QFile::encodeName(chosenPath));
    const QString shown = QFile::decodeName(name);
    if (name.isEmpty() || name == "." || name == "..") {
        error = QStringLiteral("\"%1\" names a folder, not a file").arg(chosenPath);
        return std::nullopt;
    }
    FileDescriptor folder = openFolder(folderPath);
    if (!folder.isOpen()) {
        error = QStringLiteral("cannot write in %1: %2")
                    .arg(QFile::decodeName(folderPath), lastError());
        return std::nullopt;
    }
    // Held open, the file cannot go and another take its inode number unseen.
    FileDescriptor file(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat found = {};
    if (!file.isOpen() || ::fstat(file.get(), &found) != 0) {
        if (errno == ENOENT)
            return OutputPlace(std::move(folder), name, shown, FileDescriptor());
        error = QStringLiteral("cannot write %1: %2").arg(shown, lastError());
        return std::nullopt;
    }
    if (S_ISLNK(found.st_mode)) {
        std::optional<LinkTarget> target = followLink(folder.get(), name, shown, error);
        if (!target)
            return std::nullopt;
        return OutputPlace(std::move(target->folder), target->name, shown, std::move(target->file));
    }
    if (!S_ISREG(found.st_mode)) {
        error = whyNotReplaced(found, shown);
        return std::nullopt;
    }
    return OutputPlace(std::move(folder), name, shown, std::move(file));
}

OutputPlace::OutputPlace(FileDescriptor folder, QByteArray name, QString chosenName,
                         FileDescriptor replaced)
    : folder(std::move(folder))
    , fileName(std::move(name))
    , chosenName(std::move(chosenName))
    , replaced(std::move(replaced))
{}

bool OutputPlace::wouldReplace(int input) const
{
    return isSameFile(input, folder.get(), fileName);
}

bool OutputPlace::prepare(QString& error)
{
    removeLeftoverPrivateFolders(folder.get());
    std::optional<PrivateFolder> made = PrivateFolder::create(folder.get());
    if (made)
        privateFolder.emplace(std::move(*made));
    else
        error = QStringLiteral("cannot write in %1: %2")
                    .arg(QFile::decodeName(resolvedPathOf(folder.get())), lastError());
    return privateFolder.has_value();
}

QString OutputPlace::clipPath() const
{
    // "self" would be ffmpeg's own descriptors.
    return QStringLiteral("/proc/%1/fd/%2/%3")
        .arg(::getpid())
        .arg(privateFolder ? privateFolder->descriptor() : -1)
        .arg(chosenName);
}

bool OutputPlace::commit(QString& error)
{
    const bool placed = placeClip(error);
    discard();
    if (placed) // the clip is in place whether or not the folder is flushed
        flushFolder(folder.get());
    return placed;
}

bool OutputPlace::placeClip(QString& error)
{
    if (!privateFolder) {
        error = QStringLiteral("the unfinished clip was removed meanwhile");
        return false;
    }
    const int inside = privateFolder->descriptor();
    const QByteArray clipName = QFile::encodeName(chosenName);
    const FileDescriptor clip(
        ::openat(inside, clipName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat written = {};
    if (!clip.isOpen() || ::fstat(clip.get(), &written) != 0 || !S_ISREG(written.st_mode)) {
        error = QStringLiteral("the unfinished clip was removed or replaced meanwhile");
        return false;
    }
    struct stat before = {};
    const bool replacing = replaced.isOpen() && ::fstat(replaced.get(), &before) == 0;
    if (replacing)
        ::fchmod(clip.get(), before.st_mode & 0777);
    if (::fsync(clip.get()) != 0) {
        error = QStringLiteral("cannot save the clip: %1").arg(lastError());
        return false;
    }
    // Only the file that was there when the export began was chosen to be
    // replaced; one that another program has put there since stays.
    struct stat now = {};
    const bool stillThere =
        replacing &&
        ::fstatat(folder.get(), fileName.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameInode(now, before);
    const bool placed =
        stillThere
            ? ::renameat(inside, clipName.constData(), folder.get(), fileName.constData()) == 0
            : renameWithoutReplacing(inside, clipName, folder.get(), fileName);
    if (!placed) {
        error = errno == EEXIST
                    ? QStringLiteral("%1 appeared while the clip was written and was left as it is")
                          .arg(chosenName)
                    : QStringLiteral("cannot name the clip %1: %2").arg(chosenName, lastError());
    }
    return placed;
}
