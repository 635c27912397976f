#pragma once

#include <QtGlobal>

#include <functional>

// Faults that would harm the test program itself are made in a forked copy
// of it: the copy runs body and ends with its result.
class ChildProcess
{
public:
    // Returns whether body returned true in the child. A child that hangs is
    // ended by an alarm after a minute and counts as failed.
    static bool run(const std::function<bool()>& body);

    // In a child: no file it writes may grow beyond bytes, as on a disk that
    // is full there; a write past that fails with EFBIG instead of killing
    // the process.
    static void fillDiskAt(qint64 bytes);
};
