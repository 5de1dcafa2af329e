#include "app/SingleCopy.h"

#include <QDir>
#include <QLockFile>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace trx {

#ifdef Q_OS_WIN

SingleCopy::SingleCopy(const QString& name, const QString&)
    : m_mutex(CreateMutexW(nullptr, FALSE, name.toStdWString().c_str())) {}

SingleCopy::~SingleCopy() {
    if (m_taken) {
        ReleaseMutex(m_mutex);
    }
    if (m_mutex != nullptr) {
        CloseHandle(m_mutex);
    }
}

bool SingleCopy::take() {
    if (m_mutex == nullptr) {
        return false;
    }
    // A copy that ended without giving the mutex back leaves it abandoned: that one is gone.
    const DWORD waited = WaitForSingleObject(m_mutex, 0);
    m_taken = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return m_taken;
}

#else

SingleCopy::SingleCopy(const QString& name, const QString& lockDirectory)
    : m_lock(std::make_unique<QLockFile>(
          QDir(lockDirectory.isEmpty() ? QDir::tempPath() : lockDirectory)
              .filePath(name + QStringLiteral(".lock")))) {
    // A lock is stale only when its holder is gone; a copy that has run for hours still holds
    // it (the default would hand it over after 30 s).
    m_lock->setStaleLockTime(0);
}

SingleCopy::~SingleCopy() = default;

bool SingleCopy::take() {
    return m_lock->tryLock(0);
}

#endif

}  // namespace trx
