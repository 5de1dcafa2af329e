#include <QApplication>

#include "app/Application.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return trx::CTRX900ToolApp().run();
}
