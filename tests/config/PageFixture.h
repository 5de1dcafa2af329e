#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "app/OperationGuard.h"
#include "app/PageContext.h"
#include "app/TargetSelection.h"
#include "support/FakeMessageBoxes.h"

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace trx::test {

using Bytes = std::vector<std::uint8_t>;
using Icon = MessageBoxes::Icon;

// The simulated panel's address; the page's selector makes it the current target.
inline constexpr char kPanel[] = "127.0.0.2";

// One page, built fresh for each test, talking to one simulated panel over loopback.
template <typename Page>
class PageFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.start({kPanel}));
        makePage(sim.port(), makeAddress(127, 0, 0, 2));
    }

    void makePage(std::uint16_t port, PanelAddress target) {
        using std::chrono::milliseconds;
        const ExchangeLimits limits{milliseconds{1000}, milliseconds{700}, milliseconds{3000}};
        page.reset();
        page = std::make_unique<Page>(
            PageContext{selection, messages, guard, ExchangeSettings{port, limits}});
        selection.setPanelAddress(0, target);
        selection.rebuildSelectors();
        page->show();
    }

    template <typename W>
    W* find(const char* name) const {
        W* widget = page->template findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void click(const char* button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    template <typename Change>
    void changePanel(Change change) {
        sim::PanelState state = sim.state(kPanel);
        change(state);
        sim.setState(kPanel, state);
    }

    std::vector<sim::ExchangeRecord> received() const { return sim.log(kPanel); }

    // The one block the panel received; fails the test unless exactly one exchange took place.
    Bytes block() const {
        const auto log = received();
        EXPECT_EQ(log.size(), 1u);
        return log.empty() ? Bytes{} : log.back().block;
    }

    // The last box shown (an empty one when none was).
    FakeMessageBoxes::Shown last() const {
        return messages.shown().empty() ? FakeMessageBoxes::Shown{} : messages.shown().back();
    }

    std::string firstCommand() const {
        const auto log = received();
        return log.empty() ? std::string() : log.front().command;
    }

    void expectOnlyMessage(const QString& text, Icon icon) const {
        ASSERT_EQ(messages.texts(), std::vector<QString>{text});
        EXPECT_EQ(messages.shown().front().icon, icon);
        EXPECT_EQ(messages.shown().front().caption, applicationCaption());
    }

    sim::PanelSimulator sim;
    TargetSelection selection;
    FakeMessageBoxes messages;
    OperationGuard guard;
    std::unique_ptr<Page> page;
};

}  // namespace trx::test
