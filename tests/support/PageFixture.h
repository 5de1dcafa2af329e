#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "PanelSimulator.h"
#include "pagebase/OperationGuard.h"
#include "pagebase/PageContext.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "records/TargetSelection.h"
#include "support/FakeMessageBoxes.h"
#include "support/ScriptedPeer.h"

namespace trx::test {

using Bytes = std::vector<std::uint8_t>;

inline constexpr char kPanel[] = "127.0.0.2";
inline const std::string kReboot = "Warning?: Do you agree to rebooting after data transfer?";

// Bytes written in hex: "89 80 02".
inline Bytes hexBytes(const char* hex) {
    const QByteArray bytes = QByteArray::fromHex(hex);
    return {bytes.begin(), bytes.end()};
}

// One page, built fresh for each test, in an active window, its target the first of the
// simulated panels it is given, all on loopback.
template <typename Page>
class PageFixture : public ::testing::Test {
  protected:
    explicit PageFixture(std::vector<std::string> panels = {kPanel}, ExchangeLimits limits = {})
        : m_panels(std::move(panels)), m_limits(limits) {}

    void SetUp() override {
        ASSERT_TRUE(sim.start(m_panels));
        makePage(sim.port(), messages, *parseAddress(m_panels[0]));
    }

    // A new page that dials the target at the port.
    void makePage(std::uint16_t port, MessageBoxes& boxes, PanelAddress target) {
        page.reset();
        selection.setPanelAddress(0, target);
        page = std::make_unique<Page>(PageContext{selection, boxes, guard, {port, m_limits}});
        selection.rebuildSelectors();
        page->show();
        QApplication::setActiveWindow(page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }

    // A control by object or accessible name; a missing one stops the run with its name.
    template <typename W = QWidget>
    W* find(const QString& name) const {
        for (W* widget : page->template findChildren<W*>()) {
            if (widget->objectName() == name || widget->accessibleName() == name) {
                return widget;
            }
        }
        qFatal("the page has no %s", qPrintable(name));
    }
    void click(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            QTest::mouseClick(find(QLatin1String(name)), Qt::LeftButton);
        }
    }

    // The page's text fields in order, filled ("/" between them) as the page's own loads would:
    // no check runs.
    QLineEdit* edit(int index) const { return page->template findChildren<QLineEdit*>().at(index); }
    void fill(const char* fields) {
        const QStringList texts = QString::fromLatin1(fields).split(u'/');
        for (int i = 0; i < texts.size(); ++i) {
            edit(i)->setText(texts[i]);
        }
    }
    // Fills the text fields (when given), presses the button and returns what the operator was
    // told; messages and the panels' log start afresh.
    Told press(const char* button, const char* fields = nullptr) {
        messages.clear();
        sim.clearLog();
        if (fields != nullptr) {
            fill(fields);
        }
        click({button});
        return messages.told();
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

    template <typename Change>
    void changePanel(Change change) {
        sim::PanelState state = sim.state(m_panels[0]);
        change(state);
        sim.setState(m_panels[0], state);
    }
    // Every command line the panels received since the last call, one after the other.
    std::string commands() {
        std::string lines;
        for (const sim::ExchangeRecord& record : sim.log()) {
            lines += record.command;
        }
        sim.clearLog();
        return lines;
    }
    // The block of the one exchange the panel saw, which must have been the given command.
    Bytes block(std::string_view command) const {
        const auto log = sim.log(m_panels[0]);
        EXPECT_EQ(log.size(), 1u);
        EXPECT_EQ(log.empty() ? std::string() : log[0].command, command);
        return log.empty() ? Bytes{} : log[0].block;
    }
    // SET, reboot agreed, told "Write OK." as given; returns the block sent.
    Bytes writeOk(std::string_view command, const char* writeOkBox, const char* fields = nullptr) {
        EXPECT_EQ(press("setButton", fields), (Told{kReboot, writeOkBox}));
        return block(command);
    }
    // SET against a panel at 127.0.0.1 that takes the block and answers "WRITE NG": "Write
    // error." is told. Returns all that panel received.
    std::string writeAnsweredNg(std::size_t blockSize, const char* fields = nullptr) {
        using Peer = ScriptedPeer;
        Peer peer({Peer::readLine(), Peer::send("TRX900 SETTING CHANGE OK\r\n\n"),
                   Peer::readBytes(blockSize), Peer::send(std::string("WRITE NG\r\n\0", 11))});
        makePage(peer.port(), messages, makeAddress(127, 0, 0, 1));
        EXPECT_EQ(press("setButton", fields), (Told{kReboot, "Error: Write error."}));
        return peer.received();
    }

    sim::PanelSimulator sim;
    TargetSelection selection;
    FakeMessageBoxes messages;
    OperationGuard guard;
    std::unique_ptr<Page> page;

  private:
    std::vector<std::string> m_panels;
    ExchangeLimits m_limits;
};

}  // namespace trx::test
