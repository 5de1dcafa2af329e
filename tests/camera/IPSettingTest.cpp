#include <QtWidgets>

#include <numeric>

#include "PanelBehaviour.h"
#include "pagebase/widgets/Ipv4AddressField.h"
#include "pages/camera/IPSetting.h"
#include "support/PageFixture.h"

namespace trx::test {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using sim::Fault;
using Answer = MessageBoxes::Answer;
namespace cl = sim::camera_layout;
constexpr int kRows = CameraTable::kRowCount;
const std::string kNoConnect = "Error: No Connect!!";
const std::string kWriteOk = "Box[Status]: Write OK";
const std::string kNote =
    "Box[QL-TRX900 Setup Software]: <Note>\r\nCCU IP/Remote IP\r\n : IP address and Port Number "
    "is detected automatically.\r\n\r\nCamcoder IP\r\n : IP address and Port Number need to be "
    "set manually.\r\n   Port Number = 49152 (default)";

class CameraPage : public PageFixture<IPSetting> {
  protected:
    CameraPage() : PageFixture({kPanel}, {1000ms, 600ms, 4000ms}) {}

    // A row's control by its column: cell<QLineEdit>(2, "PortEdit") is C03's port field.
    template <typename W = QWidget>
    W* cell(int row, const char* column) const {
        return find<W>(u"c%1"_s.arg(row + 1, 2, 10, QLatin1Char('0')) + QLatin1String(column));
    }
    QComboBox* typeList(int row) const { return cell<QComboBox>(row, "TypeCombo"); }
    QLineEdit* portField(int row) const { return cell<QLineEdit>(row, "PortEdit"); }
    Ipv4AddressField* ipField(int row) const { return cell<Ipv4AddressField>(row, "AddressEdit"); }
    const CameraTable& table() const { return page->form().table(); }
    // Clicks the named buttons in turn, the panel answering with the fault given.
    void click(std::initializer_list<const char*> names, Fault fault = Fault::None) {
        sim.setFault(kPanel, fault);
        PageFixture::click(names);
    }
    // Opens the list with a click, moves to the entry and takes it with Enter, as the operator
    // does. (A click on the entry right after opening is swallowed by the popup on purpose.)
    void choose(QComboBox* list, const QString& text) {
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        QTest::mouseClick(list, Qt::LeftButton);
        list->view()->setCurrentIndex(list->view()->model()->index(index, 0));
        QTest::keyClick(list->view(), Qt::Key_Return);
    }
    void retype(QLineEdit* edit, const char* text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QLatin1String(text));
    }
    // The type codes of C01..C19, one digit each.
    std::string types() const {
        std::string codes;
        for (int row = 0; row < kRows; ++row) {
            codes += std::to_string(table().typeCode(row));
        }
        return codes;
    }
    // A row as the operator sees it: "Remote IP/4 [MODEL] 86:87:88:89:8A:8B 192.168.0.11:80 19"
    // is the camera type shown and how many entries its list has, the model, MAC, address, port
    // and how many entries the swap list has; "!" follows each control that is disabled.
    std::string rowView(int row) const {
        const auto off = [](const QWidget* w) { return w->isEnabled() ? "" : "!"; };
        const auto text = [](const auto* e) { return e->text().toStdString(); };
        const QComboBox* type = typeList(row);
        const auto* swap = cell<QComboBox>(row, "SwapCombo");
        return type->currentText().toStdString() + "/" + std::to_string(type->count()) + off(type) +
               " [" + text(cell<QLabel>(row, "ModelField")) + "] " +
               text(cell<QLabel>(row, "MacField")) + " " + addressText(ipField(row)->address()) +
               off(ipField(row)) + ":" + text(portField(row)) + off(portField(row)) + " " +
               std::to_string(swap->count()) + off(swap);
    }
    // The radio buttons checked, the serial camera number while it can be chosen, then the
    // buttons the operator can press: "Serial Mode CCU #1 | refresh set initialize".
    std::string state() const {
        std::string text;
        for (const QRadioButton* radio : page->findChildren<QRadioButton*>()) {
            text += radio->isChecked() ? radio->text().toStdString() + " " : "";
        }
        const auto* number = find<QComboBox>(u"cameraNumberCombo"_s);
        text += number->isEnabled() ? "#" + number->currentText().toStdString() + " |" : "|";
        for (const char* b : {"networkSearch", "refresh", "set", "cancel", "initialize"}) {
            text += find(QLatin1String(b) + u"Button"_s)->isEnabled() ? " " + std::string(b) : "";
        }
        return text;
    }
    bool lit(int row) const { return cell(row, "Label")->autoFillBackground(); }
};

// A default row as the page shows it: in Serial Mode only the serial camera's type list is
// enabled, in IP Mode everything.
std::string defaultRow(int row, const char* type, bool ip = false) {
    return std::string(type) + " [] 00:00:00:00:00:00 192.168.0." + std::to_string(10 + row) +
           (ip ? ":80 19" : "!:80! 1!");
}

// The form as an operator drives it from the default table. IP Mode offers every row the four
// IP entries and the serial camera of the family until one row holds it; any click on a mode
// drops every type; a key or the wheel reaching a type list without focus (an assistive tool,
// the page scrolled over it) changes nothing. Editing an address octet reads the form and stores
// every row's address and port (a port field alone stores nothing); a port field without a
// number stops a read there, and writing the form back undoes the click that read it.
TEST_F(CameraPage, TheFormFollowsItsRules) {
    // The page starts from the factory list, byte for byte as the panel keeps it.
    EXPECT_EQ(table().bytes(), sim.state(kPanel).factoryCameraTable);
    EXPECT_EQ(state(), "Serial Mode CCU #1 | refresh set initialize");
    EXPECT_EQ(find<QComboBox>(u"cameraNumberCombo"_s)->count(), 19);  // "1".."19"
    EXPECT_EQ(ipField(2)->accessibleName().toStdString(), "C03 IP ADDRESS");
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(rowView(row), defaultRow(row, row == 0 ? "CCU Serial/1" : "NoAsign/1!"));
    }
    // Every label and control (the widgets without visible children) on the page, none
    // overlapping another.
    std::vector<QRect> placed;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (w->isVisible() && w->childrenRect().isNull()) {
            placed.emplace_back(w->mapTo(page.get(), QPoint()), w->size());
        }
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        EXPECT_TRUE(page->rect().contains(placed[i])) << i;
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            EXPECT_FALSE(placed[i].intersects(placed[j])) << i << " " << j;
        }
    }
    click({"ipModeRadio"});
    const CameraTable ipMode = table();
    EXPECT_EQ(ipMode.modeCode(), 2);
    EXPECT_EQ(types(), "0000000000000000000");
    EXPECT_EQ(state(), "IP Mode CCU | networkSearch refresh set initialize");
    QTest::keyClick(typeList(5), Qt::Key_Down);
    QWheelEvent wheel({}, {}, {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(typeList(2), &wheel);
    EXPECT_FALSE(wheel.isAccepted());  // left to the page
    EXPECT_EQ(table(), ipMode);
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(rowView(row), defaultRow(row, "NoAsign/5", true));
        const auto own = QString::fromStdString(cameraRowLabel(row));  // " " and the other rows
        EXPECT_EQ(cell<QComboBox>(row, "SwapCombo")->findText(own), -1);
    }
    choose(typeList(6), u"Camcoder IP"_s);
    choose(typeList(1), u"CCU IP"_s);
    EXPECT_EQ(types(), "0300005000000000000");
    click({"ipModeRadio"});  // already checked
    EXPECT_EQ(table(), ipMode);

    click({"remoteCameraRadio"});
    choose(typeList(3), u"Remote Serial"_s);
    EXPECT_EQ(table().modeCode(), 3);
    EXPECT_EQ(types(), "0002000000000000000");
    EXPECT_EQ(rowView(3).substr(0, 15), "Remote Serial/5");
    EXPECT_EQ(rowView(4).substr(0, 9), "NoAsign/4");  // the other rows no longer offer it
    choose(typeList(3), u"NoAsign"_s);
    EXPECT_EQ(types(), "0000000000000000000");
    EXPECT_EQ(typeList(4)->itemText(4).toStdString(), "Remote Serial");

    retype(portField(4), "1234");
    retype(portField(18), "70000");
    EXPECT_EQ(table().rowPort(4), 80);
    retype(ipField(2)->octetEdit(3), "77");
    EXPECT_EQ(table().rowAddress(2), makeAddress(192, 168, 0, 77));
    EXPECT_EQ(table().rowPort(4), 1234);
    EXPECT_EQ(table().rowPort(18), 70000 & 0xFFFF);
    retype(portField(2), "8080");
    portField(5)->clear();
    retype(portField(6), "9090");
    click({"camcorderRadio"});
    EXPECT_EQ(messages.told(), Told{"Warning: Please enter a positive integer."});
    EXPECT_EQ(page->form().values().port[2], 8080u);  // read before the empty field, ...
    EXPECT_EQ((portField(5)->text() + portField(6)->text()).toStdString(), "8080");  // not after
    EXPECT_EQ(state(), "IP Mode RemoteCamera | networkSearch refresh set initialize");

    click({"serialModeRadio", "camcorderRadio"});
    choose(find<QComboBox>(u"cameraNumberCombo"_s), u"5"_s);
    EXPECT_EQ(table().modeCode(), 4);
    EXPECT_EQ(state(), "Serial Mode Camcorder #5 | refresh set initialize");
    EXPECT_EQ(types(), "0000600000000000000");
    EXPECT_EQ(rowView(4), "Camcoder Serial/1 [] 00:00:00:00:00:00 192.168.0.14!:1234! 1!");
}

// REFRESH, a swap and back, confirmations cancelled, SET, INITIALIZE and a search confirmed by
// SET, as an operator uses them. The stored list is in IP Mode (RemoteCamera) with Remote IP in
// C02, Remote Serial in C05, Camcoder IP on port 49152 in C09 and a second serial camera in C10;
// every row has a MAC, C02 a model name of all 9 bytes, a mask and gateway of its own and a
// status mark, and the last byte is not 0. (A second operation while one runs is refused: the
// hostile-panel tests.)
TEST_F(CameraPage, ReadSwapWriteAndInitializeAgainstThePanel) {
    changePanel([](sim::PanelState& s) {
        CameraTable t = *CameraTable::fromReply(s.cameraTable);
        for (int row = 0; row < kRows; ++row) {
            std::array<std::uint8_t, 6> mac{};
            std::iota(mac.begin(), mac.end(), static_cast<std::uint8_t>(0x80 + 6 * row));
            t.setRowMac(row, mac);
        }
        t.setModelText(1, "ABCDEFGHI");
        t.setModelText(2, "Z");  // right after C02's nine bytes
        for (const auto& [row, code] : {std::pair{0, 0}, {1, 4}, {4, 2}, {8, 5}, {9, 6}}) {
            t.setTypeCode(row, static_cast<std::uint8_t>(code));
        }
        t.setModeCode(3);
        t.setRowPort(8, 49152);
        // What the tool carries without reading it: a row's mask and gateway, its status, the
        // byte after the checksum.
        auto& b = t.bytes();
        b[cl::kRowMask + 7] = b[cl::kRowGateway + 7] = 2;
        b[cl::kStatus + 1] = 0x81;
        b[cl::kChecksum + 1] = 0x5A;
        std::ranges::copy(b, s.cameraTable.begin());
    });
    click({"refreshButton"});
    CameraTable expected = *CameraTable::fromReply(sim.state(kPanel).cameraTable);
    expected.seal();  // as the panel sent it
    EXPECT_EQ(table(), expected);
    EXPECT_EQ(state(), "IP Mode RemoteCamera | networkSearch refresh set initialize");
    EXPECT_EQ(rowView(9).substr(0, 3), "/4 ");  // a second serial row offers no serial entry
    EXPECT_FALSE(lit(1));                       // lit only while a search is pending

    choose(cell<QComboBox>(1, "SwapCombo"), u"C09"_s);
    EXPECT_EQ(rowView(1), "Camcoder IP/4 [] B0:B1:B2:B3:B4:B5 192.168.0.18:49152 19");
    EXPECT_EQ(rowView(8), "Remote IP/4 [ABCDEFGHI] 86:87:88:89:8A:8B 192.168.0.11:80 19");
    // C02's status mark moves to C09, its mask and gateway stay.
    EXPECT_EQ(std::vector({table().statusFlags(8), table().bytes()[cl::kRowMask + 7],
                           table().bytes()[cl::kRowGateway + 7]}),
              std::vector<std::uint8_t>({0x81, 2, 2}));
    EXPECT_EQ(cell<QComboBox>(1, "SwapCombo")->currentIndex(), -1);
    choose(cell<QComboBox>(8, "SwapCombo"), u"C02"_s);
    EXPECT_EQ(table(), expected);

    // Cancel the firmware notice; OK it and cancel the reboot; cancel INITIALIZE's reboot.
    messages.script({Answer::Cancel, Answer::Ok, Answer::Cancel, Answer::Cancel});
    click({"setButton", "setButton", "initializeButton"});
    EXPECT_EQ(messages.told().size(), 4u);
    EXPECT_EQ(commands(), "TRX900 IP SETTING REQ\r\n");  // REFRESH's only

    click({"setButton"});
    for (int row = 0; row < kRows; ++row) {
        expected.clearRowMac(row == 1 || row == 8 ? 0 : row);  // only network cameras keep theirs
    }
    expected.seal();
    const Bytes block = sim.log(kPanel).at(0).block;
    EXPECT_EQ(block, Bytes(expected.bytes().begin(), expected.bytes().end()));
    EXPECT_EQ(std::accumulate(block.begin(), block.end(), 0u) % 256u, 0u);  // the last byte counts
    EXPECT_EQ(messages.told(),
              (Told{"Warning?: Please make sure that firmware version of QL-TRX900\r\n"
                    "(Remote Operation Panel) should be later than Ver3.00.\r\nDo you "
                    "execute connection?\r\nIf you are not sure, please select \"Cancel\".",
                    kReboot, kWriteOk}));

    click({"initializeButton"});
    EXPECT_EQ(messages.told(), (Told{kReboot, kWriteOk}));
    EXPECT_EQ(rowView(0), defaultRow(0, "CCU Serial/1"));  // the factory list

    // After a search SET sends KEEP SET once its connection stands, whatever comes after; a SET
    // that cannot connect leaves the search pending.
    click({"ipModeRadio", "remoteCameraRadio", "networkSearchButton"});
    click({"setButton"}, Fault::RefuseConnection);
    click({"setButton"}, Fault::CloseAfterAcknowledge);
    click({"setButton"});
    EXPECT_EQ(messages.told(), (Told{kNote, kReboot, kNoConnect, kReboot, "Error: Socket Error!!",
                                     kReboot, kWriteOk}));
    EXPECT_EQ(commands(),
              "TRX900 IP SETTING CHANGE\r\nTRX900 IP SETTING INITIALIZE\r\n"
              "TRX900 IP SET KEEP START REMOTE CAMERA\r\nTRX900 IP SET KEEP SET\r\n"
              "TRX900 IP SETTING CHANGE\r\n");
}

// An empty reply leaves the table but enters the pending state; the next search is a RETRY, even
// after a failed one, and takes the panel's table but for the page's mode code. Only the first
// flagged duplicate is told. CANCEL reads the stored list back, and the next search starts over.
TEST_F(CameraPage, SearchTakesThePanelsTableButThePagesModeUntilCancelled) {
    changePanel([](sim::PanelState& s) {
        s.network.clear();
        for (std::uint8_t i = 1; i <= 4; ++i) {  // four camcorders: two at .50, two at .60
            const auto host = i <= 2 ? std::uint8_t{50} : std::uint8_t{60};
            s.network.push_back({2, 5, {2, 0, 0, 0, 0, i}, makeAddress(10, 1, 1, host), 80, "CAM"});
        }
    });
    click({"ipModeRadio", "camcorderRadio"});
    click({"networkSearchButton"}, Fault::EmptyReply);  // the table kept: the matrix's cell
    EXPECT_EQ(state(), "IP Mode Camcorder | networkSearch set cancel");
    click({"networkSearchButton"});
    CameraTable expected = *CameraTable::fromReply(sim.state(kPanel).pendingCameraTable);
    expected.seal();  // as the panel sent it, but for the mode code
    expected.setModeCode(5);
    EXPECT_EQ(table(), expected);
    // The cameras land in the free rows C02..C05, lit yellow.
    EXPECT_EQ(rowView(1), "Camcoder IP/4 [CAM] 02:00:00:00:00:01 10.1.1.50:80 19");
    EXPECT_TRUE(lit(1) && lit(4) && !lit(0) && !lit(5));
    EXPECT_EQ(cell(1, "Label")->palette().color(QPalette::Window), QColor(Qt::yellow));
    choose(typeList(5), u"Remote IP"_s);  // springs back while the result is pending
    EXPECT_EQ(table(), expected);
    EXPECT_EQ(rowView(5).substr(0, 9), "NoAsign/4");

    click({"networkSearchButton"}, Fault::RefuseConnection);
    click({"networkSearchButton", "cancelButton"});
    EXPECT_FALSE(lit(1));
    EXPECT_EQ(state(), "Serial Mode CCU #1 | refresh set initialize");  // the stored list
    click({"ipModeRadio", "camcorderRadio", "networkSearchButton"});
    const std::string duplicate = "Error: IP(10.1.1.50) Duplication";
    EXPECT_EQ(messages.told(), (Told{kNote, kNote, duplicate, kNote, kNoConnect, kNote, duplicate,
                                     kNote, duplicate}));
    EXPECT_EQ(commands(),
              "TRX900 IP SET KEEP START CAMCODER\r\nTRX900 IP SET KEEP RETRY CAMCODER\r\n"
              "TRX900 IP SET KEEP RETRY CAMCODER\r\nTRX900 IP SETTING REQ\r\n"
              "TRX900 IP SET KEEP START CAMCODER\r\n");
}

// CAMERA MODEL and MAC ADDRESS show what the table holds and nothing else: assistive technology
// can read them but not change them.
TEST_F(CameraPage, ShownValuesAreReadOnlyForAssistiveTechnology) {
    for (const char* column : {"C01 CAMERA MODEL", "C01 MAC ADDRESS"}) {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(find(QLatin1String(column)));
        const QString shown = accessible->text(QAccessible::Value);
        accessible->setText(QAccessible::Value, u"changed"_s);
        EXPECT_EQ(accessible->text(QAccessible::Value), shown);
        EXPECT_EQ(accessible->editableTextInterface(), nullptr);
        EXPECT_TRUE(accessible->state().readOnly && !accessible->state().editable);
    }
}

// SET's checks in order: a camera at all (before the form is read), duplicates with the target
// panel or another row, then each row's address and port as typed; a refused SET sends nothing.
// A failed REFRESH draws the controls again from the table unless the panel could not be
// reached; a failed SET keeps the form as typed.
TEST_F(CameraPage, SetRefusesWhatItMayNotWriteAndFailuresKeepOrRedrawTheForm) {
    click({"ipModeRadio"});
    portField(0)->clear();  // a read would complain about it
    click({"setButton"});
    EXPECT_EQ(messages.told(),
              Told{"Error: One or more cameras should be set\r\nexcept for \"NoAsign\""});
    retype(portField(0), "80");
    choose(typeList(0), u"CCU IP"_s);
    for (const auto& [button, fault, shown] :
         {std::tuple{"refreshButton", Fault::RefuseConnection, "4321"},
          {"refreshButton", Fault::ShortReply, "80"},
          {"setButton", Fault::RefuseConnection, "4321"}}) {
        retype(portField(3), "4321");
        click({button}, fault);
        EXPECT_EQ(portField(3)->text().toStdString(), shown) << button << static_cast<int>(fault);
        EXPECT_EQ(state(), "IP Mode CCU | networkSearch refresh set initialize");
    }
    messages.clear();
    // Typed into C02..C15: an address into C02..C04 and C10, a port into the others. What may be
    // written, in C10..C15, goes out as typed; ...
    const char* typed[] = {"",   "10.0.0.255", "224.1.1.1", "127.0.0.1", "0",
                           "21", "995",        "10670",     "70000",     "127.0.0.4",
                           "1",  "80",         "1024",      "49152",     "65535"};
    const auto type = [&](int row) {
        row < 4 || row == 9 ? ipField(row)->setAddress(*parseAddress(typed[row]))
                            : retype(portField(row), typed[row]);
    };
    for (int row = 9; row < 15; ++row) {
        type(row);
    }
    click({"setButton"});
    EXPECT_EQ(messages.told(), (Told{kReboot, kWriteOk}));
    EXPECT_EQ(CameraTable::fromReply(sim.log(kPanel).back().block)->rowPort(14), 65535);
    sim.clearLog();  // ... what may not, in C02..C09, is refused.
    for (int row = 1; row < 9; ++row) {
        type(row);
    }
    click({"setButton"});
    EXPECT_EQ(messages.told(), Told{"Warning: Unavailable network setting!\r\n C02/ C03/ C04/ "
                                    "C05/ C06\r\n C07/ C08/ C09"});
    ipField(17)->setAddress(makeAddress(127, 0, 0, 2));  // the target panel's own address
    click({"setButton"});
    EXPECT_EQ(messages.told(), Told{"Error: IP(127.0.0.2) Duplication"});
    ipField(17)->setAddress(makeAddress(192, 168, 0, 24));  // C15's, both NoAsign
    click({"setButton"});
    EXPECT_EQ(messages.told(), Told{"Error: IP(192.168.0.24) Duplication"});
    // A port that holds no number ends SET at the read: no further question, nothing sent.
    ipField(17)->setAddress(makeAddress(192, 168, 0, 99));
    for (int row = 1; row < 9; ++row) {
        ipField(row)->setAddress(makeAddress(10, 0, 1, static_cast<std::uint8_t>(row)));
        retype(portField(row), "80");
    }
    portField(12)->clear();
    click({"setButton"});
    EXPECT_EQ(messages.told(), Told{"Warning: Please enter a positive integer."});
    EXPECT_EQ(commands(), "");
}

}  // namespace
}  // namespace trx::test
