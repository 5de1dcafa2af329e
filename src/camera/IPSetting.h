#pragma once

#include "app/PanelPage.h"

namespace trx {

class IPSetting final : public PanelPage {
    Q_OBJECT
  public:
    explicit IPSetting(const PageContext& context, QWidget* parent = nullptr);
};

}  // namespace trx
