#include "fs/Log.h"

// Warnings by default: a failure reaches the terminal, the steps of a save
// only on request.
Q_LOGGING_CATEGORY(fsLog, "fbmanager.fs", QtWarningMsg)
