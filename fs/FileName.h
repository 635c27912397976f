#pragma once

#include <QByteArray>
#include <QString>

namespace fs {

// File names on Linux are bytes, and Qt decodes them as UTF-8: a name that is
// not valid UTF-8 comes back with U+FFFD in it and no longer names anything.
// These two keep every name: valid UTF-8 decodes as Qt decodes it, and each
// byte that is not part of valid UTF-8 becomes the lone surrogate U+DC00 plus
// that byte, which no valid name can produce, so encodeName gives the bytes
// back exactly. Every function of fs/ taking a QString path encodes it here.
QString decodeName(const QByteArray& name);
QByteArray encodeName(const QString& name);

// Whether any file could have this path: no name in it longer than the 255
// bytes a Linux file system allows, the whole shorter than PATH_MAX.
bool canExist(const QString& path);

} // namespace fs
