#pragma once

#include <QByteArray>
#include <QString>

namespace unit {

// The difference between two versions of a text file in the unified format
// that diff -u and version control show, so that a user reads what a
// regeneration would change in the form they know.
class Diff
{
public:
    // "--- a/path", "+++ b/path" and hunks with context lines of unchanged
    // text around each change. Empty when the bytes are equal; one line
    // saying that the files differ when either holds a NUL byte.
    static QString unified(
        const QString& path, const QByteArray& before, const QByteArray& after, int context = 3);

private:
    // Beyond this many differing lines the changed middle is shown as removed
    // and added whole: the shortest script costs time and memory in the
    // square of its length.
    static constexpr int maxEdits = 2000;
};

} // namespace unit
