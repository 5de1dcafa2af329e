// The About command in the main window's system menu, on the Windows window system itself.
#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <windows.h>

#include "app/MainWindow.h"

namespace trx {
namespace {

TEST(SystemMenu, EndsWithTheAboutCommandThatOpensTheAboutBox) {
    CTRX900ToolDlg window;
    const auto hwnd = reinterpret_cast<HWND>(window.winId());
    const HMENU menu = GetSystemMenu(hwnd, FALSE);
    const int last = GetMenuItemCount(menu) - 1;
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(last), text, 64, MF_BYPOSITION);
    EXPECT_EQ(QString::fromWCharArray(text),
              QStringLiteral("Version QW-TRX900 Setup Software(&A)..."));
    // The About box is modal: look at it from inside its own event loop, then leave it.
    QString seen;
    QTimer::singleShot(0, &window, [&] {
        seen = QApplication::activeModalWidget()->windowTitle();
        QApplication::activeModalWidget()->close();
    });
    SendMessageW(hwnd, WM_SYSCOMMAND, GetMenuItemID(menu, last), 0);
    EXPECT_EQ(seen, QStringLiteral("QL-TRX900 Setup Software"));
}

}  // namespace
}  // namespace trx
