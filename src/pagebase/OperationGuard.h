#pragma once

namespace trx {

// Only one page operation runs at a time. While an exchange waits, mouse and keys stay queued,
// but an assistive technology's press action, a queued signal or a timer can still call a
// handler; such a second request is refused without doing or showing anything.
class OperationGuard {
  public:
    class Scope {
      public:
        explicit Scope(OperationGuard& guard) : m_guard(guard), m_entered(!guard.m_busy) {
            if (m_entered) {
                m_guard.m_busy = true;
            }
        }
        ~Scope() {
            if (m_entered) {
                m_guard.m_busy = false;
            }
        }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

        // False when another operation is already running: the caller returns at once.
        explicit operator bool() const { return m_entered; }

      private:
        OperationGuard& m_guard;
        bool m_entered;
    };

    bool busy() const { return m_busy; }

  private:
    bool m_busy = false;
};

}  // namespace trx
