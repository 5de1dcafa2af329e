#pragma once

#include "app/PanelPage.h"

namespace trx {

class CTRX900IPSET final : public PanelPage {
    Q_OBJECT
  public:
    explicit CTRX900IPSET(const PageContext& context, QWidget* parent = nullptr);
};

}  // namespace trx
