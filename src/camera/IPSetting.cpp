#include "camera/IPSetting.h"

#include "app/widgets/TargetSelectorBox.h"

namespace trx {

IPSetting::IPSetting(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("ipSettingPage"));
    m_selector->move(8, 8);
}

}  // namespace trx
