#include "app/PanelFileCommands.h"

#include <QDateTime>

#include "app/FileDialogs.h"
#include "files/PanelFiles.h"
#include "fleet/PanelWork.h"
#include "pages/camera/IPSetting.h"
#include "pages/config/SettingData.h"
#include "pages/rop/CTRX900IPSET.h"
#include "records/TargetSelection.h"

namespace trx {

namespace {

struct FileKind {
    QString name;      // "panel profile", inside sentences
    QString title;     // "Panel Profile", in captions
    QString fileName;  // what a save starts with
};

const FileKind& profileKind() {
    static const FileKind kind{QStringLiteral("panel profile"), QStringLiteral("Panel Profile"),
                               QStringLiteral("panel-profile.json")};
    return kind;
}

const FileKind& listKind() {
    static const FileKind kind{QStringLiteral("panel list"), QStringLiteral("Panel List"),
                               QStringLiteral("panel-list.json")};
    return kind;
}

QString fileFilter() {
    return QStringLiteral("Panel files (*.json);;All files (*)");
}

QString problemsText(const QString& head, const FileProblems& problems) {
    return head + QLatin1Char('\n') + QString::fromStdString(describeProblems(problems));
}

// Writes the encoded file where the operator chooses. What opening would refuse is never
// written: the operator would only find out when the backup is needed.
void save(PanelPage& page, FileDialogs& dialogs, const FileKind& kind, const QByteArray& encoded,
          const FileProblems& refusedOnOpening) {
    if (!refusedOnOpening.empty()) {
        page.showWarning(problemsText(
            QStringLiteral("The %1 was not saved: opening it would be refused.").arg(kind.name),
            refusedOnOpening));
        return;
    }
    const std::optional<QString> path =
        dialogs.saveFileName(QStringLiteral("Save ") + kind.title, kind.fileName, fileFilter());
    if (!path) {
        return;
    }
    if (const std::optional<QString> reason = writePanelFileAtomically(*path, encoded)) {
        page.showError(
            QStringLiteral("The %1 was not saved to %2:\n%3").arg(kind.name, *path, *reason));
        return;
    }
    page.showStatus(QStringLiteral("The %1 was saved to %2.").arg(kind.name, *path),
                    applicationCaption());
}

// "192.168.0.130, 255.255.255.0, 192.168.0.1".
QString panelNetworkText(const CameraTable& table) {
    return QString::fromStdString(addressText(table.panelAddress()) + ", " +
                                  addressText(table.panelSubnetMask()) + ", " +
                                  addressText(table.panelGateway()));
}

template <typename Decoded>
FileProblems problemsOf(const std::variant<Decoded, FileProblems>& decoded) {
    const auto* problems = std::get_if<FileProblems>(&decoded);
    return problems != nullptr ? *problems : FileProblems{};
}

// The file the operator chooses, decoded; nothing when they cancelled or the file was refused,
// which has been told with every problem named.
template <typename Decoded>
std::optional<Decoded> open(PanelPage& page, FileDialogs& dialogs, const FileKind& kind,
                            std::variant<Decoded, FileProblems> (*read)(const QString&)) {
    const std::optional<QString> path =
        dialogs.openFileName(QStringLiteral("Open ") + kind.title, fileFilter());
    if (!path) {
        return std::nullopt;
    }
    std::variant<Decoded, FileProblems> decoded = read(*path);
    if (auto* value = std::get_if<Decoded>(&decoded)) {
        return std::move(*value);
    }
    page.showWarning(
        problemsText(QStringLiteral("The %1 was not opened; no page changed.").arg(kind.name),
                     std::get<FileProblems>(decoded)));
    return std::nullopt;
}

}  // namespace

PanelFileCommands::PanelFileCommands(IPSetting& cameras, SettingData& settings, CTRX900IPSET& rop,
                                     const TargetSelection& selection, FileDialogs& dialogs)
    : m_cameras(cameras),
      m_settings(settings),
      m_rop(rop),
      m_selection(selection),
      m_dialogs(dialogs) {}

void PanelFileCommands::saveProfile() {
    m_cameras.runOperation([this] {
        const std::optional<CameraTable> table = m_cameras.tableForSaving();
        if (!table) {
            return;
        }
        const std::optional<SettingsRecord> settings = m_settings.recordForSaving();
        if (!settings) {
            return;
        }
        const PanelProfile profile{
            *table, *settings, addressText(m_selection.currentTarget()),
            QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toStdString()};
        const QByteArray encoded = encodePanelProfile(profile);
        save(m_cameras, m_dialogs, profileKind(), encoded, problemsOf(decodePanelProfile(encoded)));
    });
}

void PanelFileCommands::openProfile() {
    m_cameras.runOperation([this] {
        std::optional<PanelProfile> profile =
            open(m_cameras, m_dialogs, profileKind(), &readPanelProfile);
        if (!profile) {
            return;
        }
        // The panel's own address, subnet mask and gateway stay the page's unless the operator
        // takes the file's, which is offered only for a profile of this very panel: SET would
        // otherwise give one panel another's address.
        const CameraTable& page = m_cameras.form().table();
        const QString own = panelNetworkText(page);
        const QString files = panelNetworkText(profile->cameraTable);
        const QString target = QString::fromStdString(addressText(m_selection.currentTarget()));
        const bool taken =
            own != files && profile->source == target.toStdString() &&
            m_cameras.confirm(
                QStringLiteral("This profile was saved from %1, the current target. Take its "
                               "panel address, subnet mask and gateway (%2)? Cancel keeps the "
                               "Camera List page's (%3).")
                    .arg(target, files, own)) == MessageBoxes::Answer::Ok;
        if (!taken) {
            profile = fleet::keepPanelNetwork(std::move(*profile), page);
        }
        m_cameras.loadTable(profile->cameraTable);
        m_settings.loadRecord(profile->settings);
        QString status = QStringLiteral(
            "Panel profile opened. Nothing was sent: press SET on the Camera List "
            "and Configuration pages to write it to a panel.");
        if (own != files && !taken) {
            status += QStringLiteral(
                          "\nThe Camera List page keeps its panel address, subnet mask "
                          "and gateway (%1), not the profile's (%2).")
                          .arg(own, files);
        }
        m_cameras.showStatus(status, applicationCaption());
    });
}

void PanelFileCommands::saveList() {
    m_rop.runOperation([this] {
        const std::optional<PanelList> rows = m_rop.rowsForSaving();
        if (!rows) {
            return;
        }
        const QByteArray encoded = encodePanelList(*rows);
        save(m_rop, m_dialogs, listKind(), encoded, problemsOf(decodePanelList(encoded)));
    });
}

void PanelFileCommands::openList() {
    m_rop.runOperation([this] {
        const std::optional<PanelList> rows = open(m_rop, m_dialogs, listKind(), &readPanelList);
        if (!rows) {
            return;
        }
        m_rop.loadRows(*rows);
        m_rop.showStatus(QStringLiteral("Panel list opened. Nothing was sent: press REGISTER on "
                                        "the ROP List page to write it to the panels."),
                         applicationCaption());
    });
}

}  // namespace trx
