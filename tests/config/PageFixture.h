#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "PanelSimulator.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "support/FakeMessageBoxes.h"
#include "support/ScriptedPeer.h"
#include "wire/Commands.h"

namespace trx::test {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<QString>;

inline constexpr char kPanel[] = "127.0.0.2";
inline const QString kReboot = QStringLiteral("Do you agree to rebooting after data transfer?");

// Bytes written in hex: "89 80 02".
inline Bytes hexBytes(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    return {bytes.begin(), bytes.end()};
}

// One page, built fresh for each test, talking to one simulated panel over loopback.
template <typename Page>
class PageFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({kPanel}));
        makePage(sim.port(), messages);
    }

    // A new page whose target is 127.0.0.host.
    void makePage(std::uint16_t port, MessageBoxes& boxes, std::uint8_t host = 2) {
        page.reset();
        page = std::make_unique<Page>(PageContext{selection, boxes, guard, {port, {}}});
        selection.setPanelAddress(0, makeAddress(127, 0, 0, host));
        selection.rebuildSelectors();
        page->show();
    }

    void click(const char* b) { page->template findChild<QPushButton*>(QLatin1String(b))->click(); }

    // Fills the text fields (when given), presses the button and returns what the operator was
    // told; messages and the panel's log start afresh.
    Texts press(const char* button, const char* fields = nullptr) {
        messages.clear();
        sim.clearLog();
        if (fields != nullptr) {
            fill(fields);
        }
        click(button);
        return messages.texts();
    }

    // The form as the operator reads it, "/" between the fields: texts, list entries shown, and
    // the (radio) buttons that are set.
    QString form() const {
        QStringList shown;
        for (QWidget* field : page->template findChildren<QWidget*>()) {
            const bool list = qobject_cast<QComboBox*>(field) && field != page->targetSelector();
            if (list || qobject_cast<QLineEdit*>(field) || field->property("checked").toBool()) {
                shown << field->property(list ? "currentText" : "text").toString();
            }
        }
        return shown.join(u'/');
    }

    // The page's text fields in order.
    QLineEdit* edit(int index) const { return page->template findChildren<QLineEdit*>().at(index); }

    // Fills the text fields ("/" between them) as the page's own loads would: no check runs.
    void fill(const char* fields) {
        const QStringList texts = QString::fromLatin1(fields).split(u'/');
        for (int i = 0; i < texts.size(); ++i) {
            edit(i)->setText(texts[i]);
        }
    }

    // Stores bytes at the start of one of the panel's records.
    template <std::size_t N>
    void panelHolds(std::array<std::uint8_t, N> sim::PanelState::*record, const Bytes& bytes) {
        sim::PanelState state = sim.state(kPanel);
        std::copy(bytes.begin(), bytes.end(), (state.*record).begin());
        sim.setState(kPanel, state);
    }

    // The block of the one exchange the panel saw, which must have been the given command.
    Bytes block(std::string_view command) const {
        const auto log = sim.log(kPanel);
        EXPECT_EQ(log.size(), 1u);
        EXPECT_EQ(log.empty() ? std::string() : log[0].command, command);
        return log.empty() ? Bytes{} : log[0].block;
    }

    // SET, reboot agreed, told "Write OK." under the caption; returns the block sent.
    Bytes writeOk(std::string_view command, const QString& caption, const char* fields = nullptr) {
        EXPECT_EQ(press("setButton", fields), (Texts{kReboot, QStringLiteral("Write OK.")}));
        EXPECT_EQ(messages.shown().back().caption, caption);
        return block(command);
    }

    // SET against a panel at 127.0.0.1 that takes the block and answers "WRITE NG": "Write
    // error." is told. Returns all that panel received.
    std::string writeAnsweredNg(std::size_t blockSize, const char* fields = nullptr) {
        using Peer = ScriptedPeer;
        Peer peer({Peer::readLine(), Peer::send("TRX900 SETTING CHANGE OK\r\n\n"),
                   Peer::readBytes(blockSize), Peer::send(std::string("WRITE NG\r\n\0", 11))});
        makePage(peer.port(), messages, 1);
        EXPECT_EQ(press("setButton", fields), (Texts{kReboot, QStringLiteral("Write error.")}));
        return peer.received();
    }

    void expectButtonsIgnoredWhileBusy() {
        OperationGuard::Scope running(guard);
        click("setButton");
        click("refreshButton");
        EXPECT_TRUE(messages.shown().empty() && sim.log(kPanel).empty());
    }

    sim::PanelSimulator sim;
    TargetSelection selection;
    FakeMessageBoxes messages;
    OperationGuard guard;
    std::unique_ptr<Page> page;
};

}  // namespace trx::test
