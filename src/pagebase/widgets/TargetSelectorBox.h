#pragma once

#include <QComboBox>

#include "records/TargetSelection.h"

namespace trx {

// A page's target selector: a drop-down list that the shared selection fills. Choosing an entry
// makes that panel the current target; refills by the selection itself start nothing.
class TargetSelectorBox final : public QComboBox, public SelectorView {
    Q_OBJECT
  public:
    TargetSelectorBox(TargetSelection& selection, QWidget* parent = nullptr);
    ~TargetSelectorBox() override;

    void clearEntries() override;
    void addEntry(const std::string& text) override;
    void selectEntry(int position) override;

  private:
    TargetSelection& m_selection;
};

}  // namespace trx
