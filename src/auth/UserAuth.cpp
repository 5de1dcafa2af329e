#include "auth/UserAuth.h"

#include "app/widgets/TargetSelectorBox.h"

namespace trx {

UserAuth::UserAuth(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("userAuthPage"));
    m_selector->move(8, 8);
}

}  // namespace trx
