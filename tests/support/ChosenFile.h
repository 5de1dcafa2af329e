#pragma once

#include <QString>

#include <optional>

#include "app/FileDialogs.h"

namespace trx::test {

// File dialogs in which every dialog "chooses" the one path the test names.
struct ChosenFile final : FileDialogs {
    std::optional<QString> saveFileName(const QString&, const QString&, const QString&) override {
        return path;
    }
    std::optional<QString> openFileName(const QString&, const QString&) override { return path; }
    std::optional<QString> folder(const QString&) override { return path; }
    QString path;
};

}  // namespace trx::test
