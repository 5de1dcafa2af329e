#include "app/ThreadPriority.h"

#include <QtGlobal>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_LINUX)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#endif

namespace trx {

#if defined(Q_OS_WIN)

bool lowerCurrentThreadPriority() {
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL) != 0;
}

#elif defined(Q_OS_LINUX)

// Linux keeps a nice value per thread: 10 more than the process's, as far as it goes.
bool lowerCurrentThreadPriority() {
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread);
    if (errno != 0) {
        return false;
    }
    return setpriority(PRIO_PROCESS, thread, std::min(nice + 10, 19)) == 0;
}

#else

// Elsewhere the call would change the whole process's priority.
bool lowerCurrentThreadPriority() {
    return false;
}

#endif

}  // namespace trx
