#pragma once

#include <QLoggingCategory>

// Why a file operation failed, for a user who runs the program with
// QT_LOGGING_RULES="fbmanager.fs.debug=true" (or "fbmanager.*=true"); the
// message boxes keep their own texts.
Q_DECLARE_LOGGING_CATEGORY(fsLog)
