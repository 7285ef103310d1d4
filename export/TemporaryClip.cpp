#include "TemporaryClip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio> // renameat2

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype longestFileName = 255; // bytes, as Linux file systems take them

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QString lastError()
{
    return qt_error_string(errno);
}

// The file a chain of symbolic links ends at; the path itself when it is none.
QString followLinks(QString path)
{
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo file(path);
        if (!file.isSymLink())
            break;
        path = file.symLinkTarget();
    }
    return path;
}

QString randomLetters(int count)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString text;
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return text;
}

void chopLastCodePoint(QString& text)
{
    text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
}

// Puts the file `from` names at `to` unless something is there by then; false,
// with errno EEXIST, when something is.
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: a hard link refuses a taken name just as well.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno == EEXIST)
        return false;
    // Nor hard links (FAT, some network shares): a look right before is what is left.
    struct stat taken = {};
    if (::lstat(to.constData(), &taken) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.constData(), to.constData()) == 0;
}

bool flushToDisk(const QString& path, int flags)
{
    const int descriptor = ::open(encoded(path).constData(), flags | O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool flushed = ::fsync(descriptor) == 0;
    const int savedErrno = errno;
    ::close(descriptor);
    errno = savedErrno;
    return flushed;
}

} // namespace

QString temporaryClipName(const QString& chosenName, const QString& unique)
{
    const qsizetype dot = chosenName.lastIndexOf(u'.');
    const QString suffix = dot > 0 ? chosenName.mid(dot) : QString();
    const QString tail = QStringLiteral(".velborn-unfinished-") + unique + suffix;
    QString stem = chosenName;
    while (!stem.isEmpty() && encoded(u'.' + stem + tail).size() > longestFileName)
        chopLastCodePoint(stem);
    return u'.' + stem + tail;
}

std::optional<TemporaryClip> TemporaryClip::create(const QString& chosenPath, QString& error)
{
    const QString destination = followLinks(QFileInfo(chosenPath).absoluteFilePath());
    const QFileInfo chosen(destination);
    if (chosen.isDir()) {
        error = QStringLiteral("%1 is a folder").arg(chosen.fileName());
        return std::nullopt;
    }
    struct stat replaced = {};
    const bool replaces = ::stat(encoded(destination).constData(), &replaced) == 0;

    const QDir folder = chosen.absoluteDir();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            folder.filePath(temporaryClipName(chosen.fileName(), randomLetters(6)));
        const int descriptor =
            ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            break;
        if (replaces)
            ::fchmod(descriptor, replaced.st_mode & 07777);
        struct stat created = {};
        ::fstat(descriptor, &created);
        ::close(descriptor);
        return TemporaryClip(path, destination, replaces, created.st_dev, created.st_ino);
    }
    error = QStringLiteral("cannot write in %1: %2").arg(folder.path(), lastError());
    return std::nullopt;
}

TemporaryClip::TemporaryClip(QString path, QString destination, bool replaces, dev_t device,
                             ino_t inode)
    : path_(std::move(path))
    , destination_(std::move(destination))
    , replaces(replaces)
    , device(device)
    , inode(inode)
    , pending(true)
{}

TemporaryClip::TemporaryClip(TemporaryClip&& other) noexcept
    : path_(std::move(other.path_))
    , destination_(std::move(other.destination_))
    , replaces(other.replaces)
    , device(other.device)
    , inode(other.inode)
    , pending(std::exchange(other.pending, false))
{}

TemporaryClip::~TemporaryClip()
{
    discard();
}

bool TemporaryClip::commit(QString& error)
{
    if (!isStillCreated()) {
        error = QStringLiteral("the unfinished clip was removed or replaced meanwhile");
        pending = false;
        return false;
    }
    if (!flushToDisk(path_, 0)) {
        error = QStringLiteral("cannot save the clip: %1").arg(lastError());
        discard();
        return false;
    }
    // Only a file that was there when the export began was chosen to be
    // replaced; one that another program has put there since stays.
    const bool placed =
        replaces ? ::rename(encoded(path_).constData(), encoded(destination_).constData()) == 0
                 : renameWithoutReplacing(encoded(path_), encoded(destination_));
    if (!placed) {
        const QString name = QFileInfo(destination_).fileName();
        error = errno == EEXIST
                    ? QStringLiteral("%1 appeared while the clip was written and was left as it is")
                          .arg(name)
                    : QStringLiteral("cannot name the clip %1: %2").arg(name, lastError());
        discard();
        return false;
    }
    pending = false;
    // The rename is on disk only once the folder is; the clip is in place
    // whether or not this succeeds.
    flushToDisk(QFileInfo(destination_).absolutePath(), O_DIRECTORY);
    return true;
}

bool TemporaryClip::isStillCreated() const
{
    struct stat now = {};
    return ::lstat(encoded(path_).constData(), &now) == 0 && now.st_dev == device &&
           now.st_ino == inode;
}

void TemporaryClip::discard()
{
    if (!std::exchange(pending, false))
        return;
    // Someone may have put another file under this name meanwhile: that one stays.
    if (isStillCreated())
        ::unlink(encoded(path_).constData());
}
