// Writes the application icon as a PNG file at one size for the icon theme, or as a Windows .ico
// file with every size for the program file's resources, drawn by the same code as the window
// icon so they never differ.
#include <charconv>
#include <cstdio>
#include <cstring>

#include <QBuffer>
#include <QFile>
#include <QString>
#include <QtEndian>

#include "app/AppIcon.h"

namespace {

QByteArray littleEndian16(int value) {
    const auto v = qToLittleEndian(static_cast<quint16>(value));
    return {reinterpret_cast<const char*>(&v), sizeof v};
}

QByteArray littleEndian32(qsizetype value) {
    const auto v = qToLittleEndian(static_cast<quint32>(value));
    return {reinterpret_cast<const char*>(&v), sizeof v};
}

// An .ico file holding one PNG image per size, the form Windows reads since Vista.
QByteArray iconFile() {
    const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    constexpr int kHeaderBytes = 6;
    constexpr int kEntryBytes = 16;
    QByteArray header = littleEndian16(0) + littleEndian16(1) + littleEndian16(std::size(sizes));
    QByteArray images;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        trx::drawApplicationIcon(size).save(&buffer, "PNG");
        // Width and height 0 mean 256; no palette; one plane; 32 bits per pixel.
        header += char(size % 256);
        header += char(size % 256);
        header += QByteArray(2, '\0') + littleEndian16(1) + littleEndian16(32);
        header += littleEndian32(png.size());
        header += littleEndian32(kHeaderBytes + kEntryBytes * qsizetype(std::size(sizes)) +
                                 images.size());
        images += png;
    }
    return header + images;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && QByteArray(argv[1]).endsWith(".ico")) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::WriteOnly) || file.write(iconFile()) < 0 || !file.flush()) {
            std::fprintf(stderr, "trx-render-icon: cannot write %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    int size = 0;
    const char* sizeEnd = argc == 3 ? argv[1] + std::strlen(argv[1]) : nullptr;
    if (argc != 3 || std::from_chars(argv[1], sizeEnd, size).ptr != sizeEnd || size <= 0) {
        std::fputs("usage: trx-render-icon SIZE FILE.png | trx-render-icon FILE.ico\n", stderr);
        return 2;
    }
    if (!trx::drawApplicationIcon(size).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "trx-render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
