#include "app/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace trx {

std::optional<QString> QtFileDialogs::saveFileName(const QString& caption, const QString& fileName,
                                                   const QString& filter) {
    const QString start = m_folder.isEmpty() ? fileName : QDir(m_folder).filePath(fileName);
    return remember(QFileDialog::getSaveFileName(m_parent, caption, start, filter));
}

std::optional<QString> QtFileDialogs::openFileName(const QString& caption, const QString& filter) {
    return remember(QFileDialog::getOpenFileName(m_parent, caption, m_folder, filter));
}

std::optional<QString> QtFileDialogs::folder(const QString& caption) {
    const QString chosen = QFileDialog::getExistingDirectory(m_parent, caption, m_folder);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    m_folder = chosen;
    return chosen;
}

std::optional<QString> QtFileDialogs::remember(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    m_folder = QFileInfo(path).absolutePath();
    return path;
}

}  // namespace trx
