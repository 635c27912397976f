#pragma once

#include <QLoggingCategory>

// What the file layer skipped or refused, and why: QT_LOGGING_RULES="fbmanager.fs*=true".
Q_DECLARE_LOGGING_CATEGORY(fsLog)
