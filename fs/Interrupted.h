#pragma once

#include <cerrno>

namespace fs {

// Makes the system call again for as long as a signal interrupts it: a signal
// handler that some library installs without SA_RESTART must not turn into a
// failed read or write. The result is the last call's, with its errno.
template <typename Call> auto retryInterrupted(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

} // namespace fs
