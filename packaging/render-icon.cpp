// Writes the application icon at one size as a PNG file for the icon theme, drawn by the same
// code as the window icon so the two never differ.
#include <charconv>
#include <cstdio>
#include <cstring>

#include <QString>

#include "app/AppIcon.h"

int main(int argc, char** argv) {
    int size = 0;
    const char* sizeEnd = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
    if (argc != 3 || std::from_chars(argv[1], sizeEnd, size).ptr != sizeEnd || size <= 0) {
        std::fputs("usage: trx-render-icon SIZE FILE.png\n", stderr);
        return 2;
    }
    if (!trx::drawApplicationIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "trx-render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
