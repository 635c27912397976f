#include "fs/Logging.h"

Q_LOGGING_CATEGORY(fsLog, "fbmanager.fs", QtInfoMsg)
