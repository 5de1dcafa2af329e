#pragma once

#include <QString>

#include <functional>
#include <utility>

namespace trx {

// Only one operation runs at a time, a page's or one of the window's fleet operations. While an
// exchange waits, mouse and keys stay queued, but an assistive technology's press action, a
// queued signal or a timer can still call a handler; such a second request is refused without
// doing or sending anything. A fleet operation runs while the window takes input, so it holds
// the guard until its last panel is done.
class OperationGuard {
  public:
    class Scope {
      public:
        // `what` names the operation when another start is refused meanwhile.
        explicit Scope(OperationGuard& guard, QString what = QStringLiteral("A page operation"))
            : m_guard(guard), m_entered(!guard.m_busy) {
            if (m_entered) {
                m_guard.m_busy = true;
                m_guard.m_running = std::move(what);
            } else if (m_guard.m_refused) {
                m_guard.m_refused(what, m_guard.m_running);
            }
        }
        ~Scope() {
            if (m_entered) {
                m_guard.m_busy = false;
                m_guard.m_running.clear();
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

    // Told of every refused start: what was refused and what is running ("Check All").
    using RefusalListener = std::function<void(const QString& refused, const QString& running)>;

    bool busy() const { return m_busy; }
    void setRefusalListener(RefusalListener listener) { m_refused = std::move(listener); }

  private:
    bool m_busy = false;
    QString m_running;
    RefusalListener m_refused;
};

}  // namespace trx
