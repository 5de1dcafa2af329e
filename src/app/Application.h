#pragma once

#include <QString>

namespace trx {

class MessageBoxes;

// The socket layer the exchanges run on. Windows needs it started before the first socket;
// elsewhere starting it cannot fail.
class SocketLayer {
  public:
    virtual ~SocketLayer() = default;
    virtual bool start() = 0;
    virtual void stop() = 0;
};

// The platform's own socket layer.
class PlatformSocketLayer final : public SocketLayer {
  public:
    bool start() override;
    void stop() override;

  private:
    bool m_started = false;
};

// The program: one copy at a time, the socket layer, then the main window until the operator
// closes it.
class CTRX900ToolApp {
  public:
    // What start-up reaches outside the program; tests put their own in place.
    struct Seams {
        // The platform's socket layer when null.
        SocketLayer* sockets = nullptr;
        // Real message boxes when null.
        MessageBoxes* messages = nullptr;
        // Where the single-copy lock file lives (not on Windows, where a named mutex keeps the
        // copy single); the temporary directory when empty.
        QString lockDirectory;
    };

    CTRX900ToolApp() = default;
    explicit CTRX900ToolApp(Seams seams) : m_seams(std::move(seams)) {}

    // Runs the whole program after the QApplication exists and returns its exit code: 0 when
    // another copy already runs (nothing is shown) or after the main window closed.
    int run();

  private:
    Seams m_seams;
};

}  // namespace trx
