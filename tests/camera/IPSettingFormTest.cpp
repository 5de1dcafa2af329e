#include <QWheelEvent>

#include "camera/CameraPageFixture.h"

namespace trx::test {
namespace {

constexpr int kRows = CameraTable::kRowCount;

const QStringList kCcuIpEntries = {QStringLiteral("NoAsign"), QStringLiteral("CCU IP"),
                                   QStringLiteral("Remote IP"), QStringLiteral("Camcoder IP"),
                                   QStringLiteral("CCU Serial")};

class CameraForm : public CameraPage {};

TEST_F(CameraForm, OpensOnTheDefaultTableInSerialMode) {
    EXPECT_EQ(table(), CameraTable::defaults());
    EXPECT_TRUE(find<QRadioButton>("serialModeRadio")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("ccuRadio")->isChecked());
    EXPECT_TRUE(find<QRadioButton>("ccuRadio")->isEnabled());
    EXPECT_TRUE(find<QRadioButton>("remoteCameraRadio")->isEnabled());
    auto* number = find<QComboBox>("cameraNumberCombo");
    EXPECT_EQ(number->count(), 19);
    EXPECT_EQ(number->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(number->isEnabled());
    for (int row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(entries(typeList(row)),
                  QStringList{row == 0 ? QStringLiteral("CCU Serial") : QStringLiteral("NoAsign")});
        EXPECT_EQ(typeList(row)->currentIndex(), 0);
        EXPECT_EQ(typeList(row)->isEnabled(), row == 0);
        EXPECT_EQ(addressField(row)->address(),
                  makeAddress(192, 168, 0, static_cast<std::uint8_t>(10 + row)));
        EXPECT_EQ(portField(row)->text(), QStringLiteral("80"));
        EXPECT_FALSE(addressField(row)->isEnabled());
        EXPECT_FALSE(portField(row)->isEnabled());
        EXPECT_EQ(entries(swapList(row)), QStringList{QStringLiteral(" ")});
        EXPECT_FALSE(swapList(row)->isEnabled());
        EXPECT_EQ(macField(row)->text(), QStringLiteral("00:00:00:00:00:00"));
        EXPECT_TRUE(modelField(row)->text().isEmpty());
    }
    EXPECT_FALSE(find<QPushButton>("networkSearchButton")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cancelButton")->isEnabled());
    for (const char* name : {"refreshButton", "setButton", "initializeButton"}) {
        EXPECT_TRUE(find<QPushButton>(name)->isEnabled()) << name;
    }
}

TEST_F(CameraForm, IpModeOffersEveryRowTheFiveEntriesAndTheSwapLists) {
    click("ipModeRadio");
    EXPECT_EQ(table().modeCode(), 2);
    EXPECT_TRUE(find<QPushButton>("networkSearchButton")->isEnabled());
    EXPECT_FALSE(find<QComboBox>("cameraNumberCombo")->isEnabled());
    for (int row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(entries(typeList(row)), kCcuIpEntries);
        EXPECT_EQ(typeList(row)->currentText(), QStringLiteral("NoAsign"));
        EXPECT_EQ(table().typeCode(row), 0);
        EXPECT_TRUE(typeList(row)->isEnabled());
        EXPECT_TRUE(addressField(row)->isEnabled());
        EXPECT_TRUE(portField(row)->isEnabled());
        EXPECT_TRUE(swapList(row)->isEnabled());
        EXPECT_EQ(swapList(row)->count(), 19);
        EXPECT_EQ(swapList(row)->currentIndex(), -1);
    }
    QStringList first{QStringLiteral(" ")};
    QStringList last{QStringLiteral(" ")};
    for (int row = 0; row < kRows; ++row) {
        const QString label = QStringLiteral("C%1").arg(row + 1, 2, 10, QLatin1Char('0'));
        if (row != 0) {
            first << label;
        }
        if (row != kRows - 1) {
            last << label;
        }
    }
    EXPECT_EQ(entries(swapList(0)), first);
    EXPECT_EQ(entries(swapList(kRows - 1)), last);
}

TEST_F(CameraForm, OnlyOneRowCanHoldTheSerialCameraInIpMode) {
    click("ipModeRadio");
    click("remoteCameraRadio");
    EXPECT_EQ(table().modeCode(), 3);
    choose(typeList(3), QStringLiteral("Remote Serial"));
    EXPECT_EQ(table().typeCode(3), camera_type::kRemoteSerial);
    EXPECT_EQ(typeList(3)->currentText(), QStringLiteral("Remote Serial"));
    EXPECT_EQ(typeList(3)->count(), 5);
    for (int row : {0, 2, 4, 18}) {
        EXPECT_EQ(entries(typeList(row)), kCcuIpEntries.mid(0, 4)) << row;
    }
    choose(typeList(3), QStringLiteral("NoAsign"));
    EXPECT_EQ(table().typeCode(3), 0);
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(typeList(row)->count(), 5) << row;
        EXPECT_EQ(typeList(row)->itemText(4), QStringLiteral("Remote Serial"));
    }
}

TEST_F(CameraForm, CamcoderIpStoresFiveAndAnyModeClickDropsTheTypes) {
    click("ipModeRadio");
    choose(typeList(6), QStringLiteral("Camcoder IP"));
    choose(typeList(1), QStringLiteral("CCU IP"));
    EXPECT_EQ(table().typeCode(6), camera_type::kCamcorderIp);
    EXPECT_EQ(table().typeCode(1), camera_type::kCcuIp);
    EXPECT_EQ(typeList(6)->currentText(), QStringLiteral("Camcoder IP"));
    EXPECT_EQ(typeList(1)->currentText(), QStringLiteral("CCU IP"));

    click("ipModeRadio");  // already checked
    for (int row = 0; row < kRows; ++row) {
        EXPECT_EQ(table().typeCode(row), 0) << row;
        EXPECT_EQ(typeList(row)->currentText(), QStringLiteral("NoAsign"));
    }
    EXPECT_EQ(table().modeCode(), 2);
}

TEST_F(CameraForm, SerialCamcorderNumberFiveLeavesOnlyRowC05) {
    click("camcorderRadio");
    choose(find<QComboBox>("cameraNumberCombo"), QStringLiteral("5"));
    EXPECT_EQ(table().serialCameraNumber(), 5);
    EXPECT_EQ(table().modeCode(), 4);
    for (int row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(table().typeCode(row), row == 4 ? camera_type::kCamcorderSerial : 0);
        EXPECT_EQ(typeList(row)->isEnabled(), row == 4);
        EXPECT_EQ(typeList(row)->currentText(),
                  row == 4 ? QStringLiteral("Camcoder Serial") : QStringLiteral("NoAsign"));
    }
    // Addresses and ports are left alone by the mode change.
    EXPECT_EQ(table().rowAddress(4), makeAddress(192, 168, 0, 14));
}

TEST_F(CameraForm, EditingAnOctetStoresEveryRowsAddressAndPort) {
    click("ipModeRadio");
    retype(portField(4), QStringLiteral("1234"));
    retype(portField(18), QStringLiteral("70000"));
    EXPECT_EQ(table().rowPort(4), 80);  // typing in a port field alone stores nothing
    retype(addressField(2)->octetEdit(3), QStringLiteral("77"));
    EXPECT_EQ(table().rowAddress(2), makeAddress(192, 168, 0, 77));
    EXPECT_EQ(table().rowPort(4), 1234);
    EXPECT_EQ(table().rowPort(18), 70000 & 0xFFFF);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CameraForm, APortWithoutANumberStopsTheReadThere) {
    click("ipModeRadio");
    click("remoteCameraRadio");
    ASSERT_EQ(table().modeCode(), 3);
    retype(portField(2), QStringLiteral("8080"));
    portField(4)->setFocus();
    portField(4)->clear();
    retype(portField(6), QStringLiteral("9090"));
    click("camcorderRadio");
    expectOnlyMessage(QStringLiteral("Please enter a positive integer."), Icon::Warning);
    // Ports before the empty field were read; the family, read after it, kept its value, so the
    // click is undone when the form is written back.
    EXPECT_EQ(page->form().values().port[2], 8080u);
    EXPECT_EQ(page->form().values().port[6], 80u);
    EXPECT_EQ(table().modeCode(), 3);
    EXPECT_TRUE(find<QRadioButton>("remoteCameraRadio")->isChecked());
    EXPECT_FALSE(find<QRadioButton>("camcorderRadio")->isChecked());
    EXPECT_EQ(portField(4)->text(), QStringLiteral("80"));
    EXPECT_EQ(portField(6)->text(), QStringLiteral("80"));
}

TEST_F(CameraForm, ATypeChoiceWithoutFocusSpringsBack) {
    click("ipModeRadio");
    QComboBox* list = typeList(5);
    find<QRadioButton>("ipModeRadio")->setFocus();
    ASSERT_FALSE(list->hasFocus());
    // A key delivered to a list without focus, as an assistive tool's action would arrive.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(table().typeCode(5), 0);
    EXPECT_EQ(list->currentText(), QStringLiteral("NoAsign"));
}

TEST_F(CameraForm, GridListsIgnoreTheWheelUnlessFocused) {
    click("ipModeRadio");
    QComboBox* list = typeList(2);
    find<QRadioButton>("ipModeRadio")->setFocus();
    const QPointF at(list->width() / 2.0, list->height() / 2.0);
    QWheelEvent wheel(at, list->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &wheel);
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(wheel.isAccepted());
    EXPECT_EQ(table().typeCode(2), 0);
}

TEST_F(CameraForm, RowControlsAreNamedByRowAndColumn) {
    EXPECT_EQ(typeList(2)->accessibleDescription(), QStringLiteral("C03 CAMERA TYPE"));
    EXPECT_EQ(addressField(2)->accessibleName(), QStringLiteral("C03 IP ADDRESS"));
    EXPECT_EQ(portField(2)->accessibleName(), QStringLiteral("C03 CAMERA PORT NO"));
    EXPECT_EQ(swapList(18)->accessibleName(), QStringLiteral("C19 SWAP CAMERA"));
    EXPECT_EQ(find<QPushButton>("initializeButton")->accessibleName(),
              QStringLiteral("INITIALIZE (FACTORY SETUP)"));
}

// All 19 rows, the top lines, the note and the buttons fit the fixed page without overlapping.
TEST_F(CameraForm, EverythingFitsThePage) {
    EXPECT_EQ(page->size(), QSize(PanelPage::kPageWidth, PanelPage::kPageHeight));
    const QRect area = page->rect();
    std::vector<QRect> placed;
    const auto mapped = [this](QWidget* w) {
        return QRect(w->mapTo(page.get(), QPoint()), w->size());
    };
    for (int row = 0; row < kRows; ++row) {
        for (QWidget* w : std::initializer_list<QWidget*>{
                 rowLabel(row), typeList(row), modelField(row), macField(row), addressField(row),
                 portField(row), swapList(row)}) {
            placed.push_back(mapped(w));
        }
        // A row's controls share one line.
        EXPECT_EQ(mapped(rowLabel(row)).center().y(), mapped(addressField(row)).center().y());
        EXPECT_EQ(mapped(rowLabel(row)).center().y(), mapped(swapList(row)).center().y());
    }
    for (const char* name : {"networkSearchButton", "refreshButton", "setButton", "cancelButton",
                             "initializeButton", "noteLabel", "cameraNumberCombo",
                             "targetSelectorBox", "connectionModeHeading", "cameraNumberHeading"}) {
        placed.push_back(mapped(find<QWidget>(name)));
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        EXPECT_TRUE(area.contains(placed[i])) << i;
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            EXPECT_FALSE(placed[i].intersects(placed[j])) << i << " " << j;
        }
    }
    if (const QByteArray path = qgetenv("TRX_CAMERA_PAGE_PNG"); !path.isEmpty()) {
        page->grab().save(QString::fromLocal8Bit(path));
    }
}

}  // namespace
}  // namespace trx::test
