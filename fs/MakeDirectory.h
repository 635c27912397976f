#pragma once

#include <QByteArray>
#include <QString>

// Making and entering directories below home by their lossless names (see
// fs/FileName.h): a name that is not valid UTF-8 stays that name, where
// QDir::mkpath would make a second directory spelled with U+FFFD.
namespace fs {

// mkdir of an encoded path; false with errno set (EEXIST when anything
// stands there).
bool makeDirectory(const QByteArray& path);

enum class Links {
    Follow, // a link to a directory on the way is entered
    Refuse // a link on the way fails with ELOOP: it could lead anywhere
};

// Makes each missing directory of relative (parts separated by "/") below
// the directory at base, one level at a time: mkdirat in the directory
// entered last, then openat on the part, so that no path is resolved again
// from the top. Returns 0, or the errno of the step that failed, with the
// path that failed in failedPath.
int makePath(const QString& base, const QString& relative, Links links, QString* failedPath = nullptr);

// Whether path names a symbolic link (whatever it points to).
bool isLink(const QString& path);

} // namespace fs
