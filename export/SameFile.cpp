#include "SameFile.h"

#include <QFile>

#include <climits>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File systems that make inode numbers up per name, or per lookup.
bool cannotVouchForInodes(int descriptor)
{
    struct statfs system = {};
    if (::fstatfs(descriptor, &system) != 0)
        return false;
    switch (static_cast<std::uint32_t>(system.f_type)) {
    case 0x65735546: // FUSE
    case 0x4d44:     // msdos, vfat
    case 0x2011BAB0: // exfat
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x517B:     // SMB
        return true;
    default:
        return false;
    }
}

QString folded(const QString& path)
{
    return path.normalized(QString::NormalizationForm_C).toCaseFolded();
}

} // namespace

QByteArray resolvedPathOf(int descriptor)
{
    char path[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    const ssize_t length = ::readlink(link.constData(), path, sizeof path);
    return length > 0 && length < ssize_t(sizeof path) ? QByteArray(path, length) : QByteArray();
}

bool spellOneName(const QString& first, const QString& second)
{
    return folded(first) == folded(second);
}

bool isSameFile(int input, int folder, const QByteArray& name)
{
    struct stat read = {};
    struct stat written = {};
    if (::fstat(input, &read) != 0)
        return false;
    if (::fstatat(folder, name.constData(), &written, AT_SYMLINK_NOFOLLOW) == 0 &&
        read.st_dev == written.st_dev && read.st_ino == written.st_ino)
        return true;
    if (!cannotVouchForInodes(input) && !cannotVouchForInodes(folder))
        return false;
    QByteArray output = resolvedPathOf(folder);
    if (!output.endsWith('/'))
        output += '/';
    return spellOneName(QFile::decodeName(resolvedPathOf(input)), QFile::decodeName(output + name));
}
