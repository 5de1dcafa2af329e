#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace trx {

// Keeps a second copy of the program from running while the first one does: a named mutex on
// Windows, a lock file elsewhere. The claim is held for the object's life.
class SingleCopy {
  public:
    // name: the program file's base name. lockDirectory: where the lock file lives, where there
    // is one (the temporary directory when empty).
    SingleCopy(const QString& name, const QString& lockDirectory);
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // Takes the claim without waiting; false while another running copy holds it. A claim left
    // behind by a copy that ended abnormally is taken over.
    bool take();

  private:
#ifdef Q_OS_WIN
    void* m_mutex = nullptr;
    bool m_taken = false;
#else
    std::unique_ptr<QLockFile> m_lock;
#endif
};

}  // namespace trx
