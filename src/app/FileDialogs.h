#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace trx {

// The one way the window asks the operator for a file. The product shows real file dialogs;
// tests put a scripted fake in its place that names the file chosen.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;

    // The path chosen, or nothing when the operator cancelled. The filter is in QFileDialog's
    // form: "Panel profiles (*.json)".
    virtual std::optional<QString> saveFileName(const QString& caption, const QString& fileName,
                                                const QString& filter) = 0;
    virtual std::optional<QString> openFileName(const QString& caption, const QString& filter) = 0;
    // An existing folder, or nothing when the operator cancelled.
    virtual std::optional<QString> folder(const QString& caption) = 0;
};

// Real file dialogs, modal to the given window. Each starts in the folder of the last file
// chosen; the program keeps nothing between runs, so the next run starts in the working folder.
class QtFileDialogs final : public FileDialogs {
  public:
    explicit QtFileDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    std::optional<QString> saveFileName(const QString& caption, const QString& fileName,
                                        const QString& filter) override;
    std::optional<QString> openFileName(const QString& caption, const QString& filter) override;
    std::optional<QString> folder(const QString& caption) override;

  private:
    std::optional<QString> remember(const QString& path);

    QWidget* m_parent;
    QString m_folder;
};

}  // namespace trx
