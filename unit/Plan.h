#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

namespace unit {

// What a generation does with each file of a unit directory, learnt by
// reading the directory alone, in the order the files are written. The
// generator writes exactly the new and replaced files of its plan, so what
// a user is shown beforehand is what happens.
class Plan
{
    Q_DECLARE_TR_FUNCTIONS(unit::Plan)

public:
    enum Fate {
        New, // nothing stands at the path yet
        Replaced, // the file's bytes differ from the new ones
        Unchanged, // the bytes are equal: the file is not written at all
        Kept // a C++ file, never overwritten
    };

    struct Entry
    {
        QString path; // relative to the unit directory
        Fate fate;
        QByteArray bytes; // what is written for New and Replaced
        QByteArray old; // the file on disk, for Replaced
        // False when the new or old bytes could not be read (a vanished or
        // unreadable icon, a file larger than any generated one): the
        // generation then fails at this file, and no diff is shown.
        bool read = true;
        // A C++ skeleton: written only when nothing stands at its path.
        bool skeleton = false;
    };

    void add(const Entry& entry) { _entries << entry; }
    const QList<Entry>& entries() const { return _entries; }
    bool writes() const;

    // The words scripts read: "new", "replaced", "unchanged", "kept".
    static QString word(Fate fate);
    // The same for a person, translated.
    static QString fateText(Fate fate);
    // One line "path: fate" per file, then a unified diff of every replaced
    // file.
    QString details() const;

private:
    QList<Entry> _entries;
};

} // namespace unit
