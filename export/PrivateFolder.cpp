#include "PrivateFolder.h"

#include <QList>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char namePrefix[] = ".velborn-unfinished-";
constexpr int uniqueLetters = 6;
constexpr char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

QByteArray newName()
{
    QByteArray name = namePrefix;
    for (int i = 0; i < uniqueLetters; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name;
}

bool isPrivateFolderName(const char* name)
{
    const std::size_t prefix = sizeof namePrefix - 1;
    return std::strncmp(name, namePrefix, prefix) == 0 &&
           std::strlen(name) == prefix + uniqueLetters &&
           std::strspn(name + prefix, letters) == uniqueLetters;
}

FileDescriptor openFolder(int parent, const QByteArray& name)
{
    return FileDescriptor(
        ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

bool isOwnFolder(int folder)
{
    struct stat held = {};
    return ::fstat(folder, &held) == 0 && S_ISDIR(held.st_mode) && held.st_uid == ::geteuid();
}

bool lock(int folder)
{
    return ::flock(folder, LOCK_EX | LOCK_NB) == 0;
}

// Whether `name` in `parent` is still the folder `folder` holds open.
bool stillNames(int parent, const QByteArray& name, int folder)
{
    struct stat held = {};
    struct stat named = {};
    return ::fstat(folder, &held) == 0 &&
           ::fstatat(parent, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

QList<QByteArray> entriesOf(int folder)
{
    QList<QByteArray> entries;
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (!listing) {
        if (listed >= 0)
            ::close(listed);
        return entries;
    }
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            entries << QByteArray(entry->d_name);
    }
    ::closedir(listing);
    return entries;
}

// Only this run, or an earlier one of this user, wrote in a private folder.
void removeFolder(int parent, const QByteArray& name, int folder)
{
    for (const QByteArray& entry : entriesOf(folder))
        ::unlinkat(folder, entry.constData(), 0);
    if (stillNames(parent, name, folder))
        ::unlinkat(parent, name.constData(), AT_REMOVEDIR);
}

} // namespace

std::optional<PrivateFolder> PrivateFolder::create(int parent)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = newName();
        if (::mkdirat(parent, name.constData(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        // Another run's sweep may take a new folder before it is locked, and
        // someone else may put one of theirs under its name: then try another.
        FileDescriptor folder = openFolder(parent, name);
        if (folder.isOpen() && isOwnFolder(folder.get()) && lock(folder.get()) &&
            stillNames(parent, name, folder.get()) && ::fchmod(folder.get(), 0700) == 0)
            return PrivateFolder(parent, std::move(folder), name);
    }
    errno = EEXIST;
    return std::nullopt;
}

PrivateFolder::PrivateFolder(int parent, FileDescriptor folder, QByteArray name)
    : parent(parent)
    , folder(std::move(folder))
    , name(std::move(name))
{}

void PrivateFolder::remove()
{
    if (!folder.isOpen())
        return;
    removeFolder(parent, name, folder.get());
    folder = FileDescriptor();
}

void removeLeftoverPrivateFolders(int parent)
{
    for (const QByteArray& name : entriesOf(parent)) {
        if (!isPrivateFolderName(name.constData()))
            continue;
        const FileDescriptor folder = openFolder(parent, name);
        if (folder.isOpen() && isOwnFolder(folder.get()) && lock(folder.get()))
            removeFolder(parent, name, folder.get());
    }
}
