#pragma once

#include "app/PanelPage.h"

namespace trx {

class SettingData final : public PanelPage {
    Q_OBJECT
  public:
    explicit SettingData(const PageContext& context, QWidget* parent = nullptr);
};

}  // namespace trx
