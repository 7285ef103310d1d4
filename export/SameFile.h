#pragma once

#include <QByteArray>
#include <QString>

// Whether the file `input` holds open is the one `name` in the folder
// `folder` holds open names: the same inode, or, on a file system that cannot
// vouch for inode numbers (FUSE, FAT, exFAT, SMB), the same path as the kernel
// resolved both, whatever its case and Unicode form.
bool isSameFile(int input, int folder, const QByteArray& name);

// Whether two paths are one on a file system that ignores case and Unicode
// normalisation.
bool spellOneName(const QString& first, const QString& second);

// The path the kernel resolved for what `descriptor` holds open; empty when
// it cannot tell.
QByteArray resolvedPathOf(int descriptor);
