#include "config/SettingData.h"

#include "app/widgets/TargetSelectorBox.h"

namespace trx {

SettingData::SettingData(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("settingDataPage"));
    m_selector->move(8, 8);
}

}  // namespace trx
