// Renders the main window and each of its pages to PNG files without a display, so the pages
// can be looked at anywhere: trx-render-pages OUTDIR. The About box, the wait window and the
// Panels window come out as about.png, wait.png and panels.png.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTextStream>

#include <cstdio>

#include "app/AboutDialog.h"
#include "app/FleetWindow.h"
#include "app/MainWindow.h"
#include "pagebase/MessageBoxes.h"
#include "pagebase/PanelPage.h"
#include "pagebase/WaitDialog.h"

namespace {

// Nothing is dialled while rendering, but a page may still want to say something.
class SilentMessageBoxes final : public trx::MessageBoxes {
  public:
    Answer show(const QString& text, const QString&, Icon, Buttons) override {
        QTextStream(stderr) << "message: " << text << '\n';
        return Answer::Cancel;
    }
};

bool save(const QPixmap& pixmap, const QDir& directory, const QString& name) {
    const QString path = directory.filePath(name);
    if (!pixmap.save(path, "PNG")) {
        QTextStream(stderr) << "cannot write " << path << '\n';
        return false;
    }
    QTextStream(stdout) << path << '\n';
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: trx-render-pages OUTDIR\n";
        return 2;
    }
    const QDir directory(arguments.at(1));
    if (!QDir().mkpath(directory.path())) {
        QTextStream(stderr) << "cannot create " << directory.path() << '\n';
        return 1;
    }

    SilentMessageBoxes messages;
    trx::CTRX900ToolDlg window(messages, trx::ExchangeSettings{});
    window.show();
    QApplication::processEvents();

    bool written = save(window.grab(), directory, QStringLiteral("main.png"));
    const char* const names[trx::CTRX900ToolDlg::kPageCount] = {
        "configuration.png", "camera-list.png", "userauth.png", "rop-list.png"};
    for (int tab = 0; tab < trx::CTRX900ToolDlg::kPageCount; ++tab) {
        window.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        written = save(window.page(tab)->grab(), directory, QLatin1String(names[tab])) && written;
    }

    // The two small windows of the shell, too.
    trx::CAboutDlg about(&window);
    about.show();
    QApplication::processEvents();
    written = save(about.grab(), directory, QStringLiteral("about.png")) && written;
    trx::Wait_Dialog wait(&window);
    wait.show();
    QApplication::processEvents();
    written = save(wait.grab(), directory, QStringLiteral("wait.png")) && written;
    window.fleetWindow()->show();
    QApplication::processEvents();
    written =
        save(window.fleetWindow()->grab(), directory, QStringLiteral("panels.png")) && written;
    return written ? 0 : 1;
}
