#pragma once

#include "app/PanelPage.h"

namespace trx {

class UserAuth final : public PanelPage {
    Q_OBJECT
  public:
    explicit UserAuth(const PageContext& context, QWidget* parent = nullptr);
};

}  // namespace trx
