#include <QtTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include "app/FileDialogs.h"
#include "app/MainWindow.h"
#include "files/PanelFiles.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pages/camera/IPSetting.h"
#include "pages/config/SettingData.h"
#include "pages/rop/CTRX900IPSET.h"
#include "panel-sim/PanelSimulator.h"
#include "support/ChosenFile.h"
#include "support/FakeMessageBoxes.h"

namespace trx {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace std::string_literals;

constexpr int kConfigurationTab = 0, kCameraListTab = 1, kRopListTab = 3;
// The simulated panels; the first is TRX1 and the target. Each lists the four as TRX1..TRX4.
const std::string kA = "127.0.0.2", kB = "127.0.0.3", kC = "127.0.0.4", kD = "127.0.0.5";
const auto ip = [](const std::string& text) { return parseAddress(text).value(); };

class PanelFileWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({kA, kB, kC, kD}));
        // A panel set up away from the factory: IP cameras with MACs and models, other settings.
        sim::PanelState state = sim.state(kA);
        CameraTable cameras = *CameraTable::fromReply(state.cameraTable);
        cameras.setModeCode(encodeModeCode({ConnectionMode::Ip, CameraFamily::Ccu}));
        for (int row = 0; row < 3; ++row) {
            cameras.setTypeCode(row, static_cast<std::uint8_t>(camera_type::kCcuIp + row));
            cameras.setRowAddress(row, makeAddress(10, 0, 0, static_cast<std::uint8_t>(21 + row)));
            cameras.setRowPort(row, 49152u + static_cast<unsigned>(row));
            cameras.setRowMac(row, {0x00, 0x0A, 0xFF, 0x12, 0x34, static_cast<std::uint8_t>(row)});
            cameras.setModelText(row, "MODEL-" + std::to_string(row));
        }
        cameras.seal();
        std::ranges::copy(cameras.bytes(), state.cameraTable.begin());
        SettingsRecord settings = *SettingsRecord::fromReply(state.settings);
        SettingsValues values = settings.decode();
        values.receivePort = 35321;
        values.buzzer = 1;
        values.tallyInput = 7;
        settings.encode(values);
        settings.seal();
        std::ranges::copy(settings.bytes(), state.settings.begin());
        sim.setState(kA, state);
        files.path = dir.filePath(u"panel.json"_s);
    }

    // A fresh window whose TRX1 is the panel at 127.0.0.2.
    std::unique_ptr<CTRX900ToolDlg> freshWindow() {
        auto window = std::make_unique<CTRX900ToolDlg>(
            messages, ExchangeSettings{sim.port(), {1000ms, 600ms, 4000ms}}, &files);
        window->selection().setPanelAddress(0, ip(kA));
        window->selection().rebuildSelectors();
        return window;
    }
    template <typename P>
    static P& page(const CTRX900ToolDlg& window, int tab) {
        return *qobject_cast<P*>(window.page(tab));
    }
    static void click(CTRX900ToolDlg& window, int tab, const char* button) {
        window.tabs()->setCurrentIndex(tab);
        QTest::mouseClick(window.page(tab)->findChild<QPushButton*>(QLatin1String(button)),
                          Qt::LeftButton);
    }
    static void command(CTRX900ToolDlg& window, const char* action) {
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    }
    // The blocks written to the panels since the last call, each after the panel's address.
    std::vector<std::string> written() {
        std::vector<std::string> blocks;
        for (const sim::ExchangeRecord& r : sim.log()) {
            if (!r.block.empty()) {
                blocks.push_back(r.panel + "|" + std::string(r.block.begin(), r.block.end()));
            }
        }
        sim.clearLog();
        return blocks;
    }
    // SET on the Camera List page, then on the Configuration page.
    std::vector<std::string> setBoth(CTRX900ToolDlg& window) {
        click(window, kCameraListTab, "setButton");
        click(window, kConfigurationTab, "setButton");
        messages.clear();
        return written();
    }
    void saveFile(const QByteArray& bytes) const {
        QFile file(files.path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray savedFile() const {
        QFile file(files.path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    sim::PanelSimulator sim;
    test::FakeMessageBoxes messages;
    test::ChosenFile files;
    QTemporaryDir dir;
};

const std::string kProfileOpened =
    "Box: Panel profile opened. Nothing was sent: press SET on the Camera List and Configuration "
    "pages to write it to a panel.";

// C02's address and port edited by hand in the file change only their bytes.
TEST_F(PanelFileWindow, AProfileSavedAfterRefreshGivesAFreshWindowsSetTheSameBlocks) {
    const auto first = freshWindow();
    click(*first, kCameraListTab, "refreshButton");
    click(*first, kConfigurationTab, "refreshButton");
    command(*first, "saveProfileAction");
    EXPECT_EQ(messages.told(),
              std::vector{"Box: The panel profile was saved to " + files.path.toStdString() + "."});
    const std::vector<std::string> sent = setBoth(*first);
    const sim::PanelState panel = sim.state(kA);
    ASSERT_EQ(sent, (std::vector<std::string>{
                        kA + "|" + std::string(panel.cameraTable.begin(), panel.cameraTable.end()),
                        kA + "|" + std::string(panel.settings.begin(), panel.settings.end())}));

    const QJsonObject saved = QJsonDocument::fromJson(savedFile()).object();
    EXPECT_EQ(saved[u"source"_s].toString(), u"127.0.0.2"_s);
    EXPECT_TRUE(QDateTime::fromString(saved[u"savedAt"_s].toString(), Qt::ISODate).timeSpec() ==
                Qt::UTC);
    EXPECT_FALSE(savedFile().contains("vexor"));  // the panel's login is no part of a profile
    saveFile(savedFile().replace("\"10.0.0.22\", \"port\": 49153", "\"10.1.2.3\", \"port\": 8080"));

    const auto second = freshWindow();
    EXPECT_NE(page<IPSetting>(*second, kCameraListTab).form().table().bytes(), panel.cameraTable);
    command(*second, "openProfileAction");
    EXPECT_EQ(messages.told(), std::vector{kProfileOpened});
    EXPECT_EQ(written(), std::vector<std::string>{});  // opening sends nothing
    CameraTable edited = *CameraTable::fromReply(panel.cameraTable);
    edited.setRowAddress(1, ip("10.1.2.3"));
    edited.setRowPort(1, 8080);
    edited.seal();
    EXPECT_EQ(setBoth(*second),
              (std::vector{kA + "|" + std::string(edited.bytes().begin(), edited.bytes().end()),
                           sent[1]}));
}

// The panel's own address (camera table bytes 0 to 3) stays the page's unless the profile is the
// current target's own and the operator takes the profile's.
TEST_F(PanelFileWindow, OpeningAProfileKeepsThePanelsOwnAddress) {
    sim::PanelState state = sim.state(kA);
    CameraTable panel = *CameraTable::fromReply(state.cameraTable), other = panel;
    panel.setPanelAddress(ip("10.0.0.2")), panel.seal();
    other.setPanelAddress(ip("10.0.0.99")), other.seal();
    std::ranges::copy(panel.bytes(), state.cameraTable.begin());
    // Where the profile says it was read, the answer to a question, whether one is asked, and
    // whether the page keeps its own address and says so.
    const std::tuple<std::string, MessageBoxes::Answer, bool, bool> rows[] = {
        {"127.0.0.9", MessageBoxes::Answer::Ok, false, true},
        {kA, MessageBoxes::Answer::Ok, true, false},
        {kA, MessageBoxes::Answer::Cancel, true, true},
    };
    for (const auto& [source, answer, asked, kept] : rows) {
        sim.setState(kA, state);
        saveFile(
            encodePanelProfile({other, *SettingsRecord::fromReply(state.settings), source, ""}));
        const auto window = freshWindow();
        click(*window, kCameraListTab, "refreshButton");
        messages.clear();
        messages.script({answer});
        command(*window, "openProfileAction");
        const auto& shown = messages.shown();
        EXPECT_EQ(std::tuple(shown.size(), shown[0].buttons == MessageBoxes::Buttons::OkCancel,
                             shown.back().text.contains(u"(10.0.0.2, 255.255.255.0, 192.168.0.1), "
                                                        u"not the profile's (10.0.0.99")),
                  std::tuple(asked ? 2u : 1u, asked, kept));
        click(*window, kCameraListTab, "setButton");
        messages.clear();
        const CameraTable& sent = kept ? panel : other;
        EXPECT_EQ(written(),
                  std::vector{kA + "|" + std::string(sent.bytes().begin(), sent.bytes().end())});
    }
}

TEST_F(PanelFileWindow, AListSavedAfterASearchRegistersTheSamePanelsFromAFreshWindow) {
    const auto first = freshWindow();
    click(*first, kRopListTab, "networkSearchButton");
    // TRX1 and TRX3 change places, so that a window that ignored the list would number otherwise.
    page<CTRX900IPSET>(*first, kRopListTab)
        .findChild<QComboBox*>(u"trx1SwapRopNoCombo"_s)
        ->setCurrentText(u"TRX3"_s);
    command(*first, "saveListAction");
    messages.clear();
    click(*first, kRopListTab, "registerButton");
    const std::vector<std::string> registered = written();
    ASSERT_EQ(registered, (std::vector<std::string>{kC + "|\x00\x00"s, kB + "|\x01\xFF",
                                                    kA + "|\x02\xFE", kD + "|\x03\xFD"}));

    const auto second = freshWindow();
    command(*second, "openListAction");
    EXPECT_EQ(messages.told(),
              std::vector<std::string>{
                  "Box: Panel list opened. Nothing was sent: press REGISTER on the ROP List "
                  "page to write it to the panels."});
    EXPECT_EQ(written(), std::vector<std::string>{});
    click(*second, kRopListTab, "registerButton");
    EXPECT_EQ(written(), registered);
}

// A file that is refused changes no page and sends nothing, and the warning names the problem.
TEST_F(PanelFileWindow, ARefusedFileChangesNoPage) {
    const auto window = freshWindow();
    command(*window, "saveProfileAction");  // the window's defaults, a valid profile
    const QByteArray profile = savedFile();
    QByteArray wrongPort = profile;
    wrongPort.replace(wrongPort.indexOf("\"port\": 80"), 10, "\"port\": 70000");
    const struct {
        const char* action;
        QByteArray file;
        std::string problem;
    } rows[] = {
        {"openProfileAction", "{", "document: "},
        {"openProfileAction", wrongPort, "cameraList.cameras[0].port: 70000 is not a port number"},
        {"openListAction", profile, "format: \"trx900-panel-profile\" is not trx900-panel-list"},
        {"openListAction",
         R"({"format": "trx900-panel-list", "version": 1, "panels": [{"rop": "TRX1", "address": )"
         R"("10.0.0.1", "subnetMask": "255.0.0.0", "gateway": "0.0.0.0"}, {"rop": "TRX1"}]})",
         "panels[1].rop: TRX1 is also panels[0]'s"},
        {"openListAction", QByteArray(kPanelFileMaxBytes + 1, ' '), "is larger than 1 MiB"},
    };
    // Every page as it stands, and something on each that no refused file may change.
    auto& cameras = page<IPSetting>(*window, kCameraListTab);
    auto& settings = page<SettingData>(*window, kConfigurationTab);
    auto& rop = page<CTRX900IPSET>(*window, kRopListTab);
    const CameraTable camerasBefore = cameras.form().table();
    const SettingsRecord settingsBefore = *settings.recordForSaving();
    const RopTable ropBefore = rop.ropTable();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.problem);
        saveFile(row.file);
        messages.clear();
        command(*window, row.action);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].icon, MessageBoxes::Icon::Warning);
        const QString& text = messages.shown()[0].text;
        EXPECT_TRUE(text.contains(u"was not opened; no page changed.\n"_s) &&
                    text.contains(QString::fromStdString(row.problem)))
            << text.toStdString();
        EXPECT_EQ(cameras.form().table(), camerasBefore);
        EXPECT_TRUE(
            std::ranges::equal(settings.recordForSaving()->bytes(), settingsBefore.bytes()));
        EXPECT_EQ(rop.ropTable().address, ropBefore.address);
        EXPECT_EQ(rop.ropTable().subnetMask, ropBefore.subnetMask);
    }
    EXPECT_EQ(written(), std::vector<std::string>{});
}

// Saving reads the pages back with SET's and REGISTER's checks: what they refuse is told as they
// tell it, and no file is written.
TEST_F(PanelFileWindow, SavingStopsWhereSetOrRegisterWould) {
    const auto window = freshWindow();
    window->findChild<QLineEdit*>(u"receivePortEdit"_s)->setText(u"35600"_s);
    command(*window, "saveProfileAction");
    EXPECT_EQ(messages.shown().size(), 1u);
    messages.clear();
    window->findChild<Ipv4AddressField*>(u"trx7AddressEdit"_s)->setAddress(ip("127.0.0.255"));
    window->findChild<Ipv4AddressField*>(u"trx7SubnetMaskEdit"_s)->setAddress(ip("255.255.255.0"));
    command(*window, "saveListAction");
    EXPECT_EQ(messages.told(),
              std::vector<std::string>{"Warning: Unavailable network setting!\r\n TRX7"});
    EXPECT_FALSE(QFile::exists(files.path));
}

// The menu bar's File menu holds the four file commands with the usual shortcuts, each named
// for assistive tools; Ctrl+S saves a profile as the menu item does.
TEST_F(PanelFileWindow, TheFileMenuOffersTheFileCommandsWithShortcuts) {
    const auto window = freshWindow();
    auto* menu = window->findChild<QMenu*>(u"fileMenu"_s);
    QStringList names;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
    for (int i = 0; i < accessible->childCount(); ++i) {
        const QString name = accessible->child(i)->text(QAccessible::Name);
        names << name + u' ' + menu->actions().at(i)->shortcut().toString();
    }
    EXPECT_EQ(
        names,
        (QStringList{u"Open Panel Profile... Ctrl+O"_s, u"Save Panel Profile... Ctrl+S"_s, u" "_s,
                     u"Open Panel List... Ctrl+Shift+O"_s, u"Save Panel List... Ctrl+Shift+S"_s}));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(messages.told(), (std::vector<std::string>{"Box: The panel profile was saved to " +
                                                         files.path.toStdString() + "."}));
}

}  // namespace
}  // namespace trx
