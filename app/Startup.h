#pragma once

#include <QDir>
#include <QString>

class QLocale;
class QTextStream;
class QTranslator;

// Start-up of the program, run once before the event loop.

// Without HOME every path below home would start at "/": sets HOME to the
// home directory of the user's passwd entry, or says on err that there is
// none and returns false, before anything is written. A home (or settings
// directory) whose name is not UTF-8 is handed to Qt's settings by a name
// that leads there.
bool ensureHome(QTextStream& err);

// Installs the program's own translation and Qt's (for the standard buttons)
// for the system locale; a language without a translation stays English, with
// the English plural forms.
void installTranslations();

// Loads the program's catalogue for locale, or the English one (which holds
// only the plural forms) where that language has none.
bool loadProgramTranslation(QTranslator& translator, const QLocale& locale);

// Records the template user directory under "userdir" in the per-user
// settings: the ini file's value when the file exists, otherwise the
// executable's directory + "/../user". Returns that directory whether or not
// it could be stored.
QString readIni(const QString& iniPath);

// Whether the files the default settings object reads are absent or regular
// files of at most 1 MiB: QSettings reads them when constructed, blocking on a
// FIFO and taking any size.
bool settingsSafeToRead();

// Makes sure the user data tree exists below the home directory and merges
// the template user directory into it without overwriting anything.
void initUserProfile(const QString& templatePath);
// The same with the template directory that the settings hold.
void initUserProfile();

// Depth-first merge of everything below source into target that target lacks.
// Both directories stand where they started when it returns.
void copyRec(QDir& source, QDir& target);
