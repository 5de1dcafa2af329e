#include "rop/CTRX900IPSET.h"

#include "app/widgets/TargetSelectorBox.h"

namespace trx {

CTRX900IPSET::CTRX900IPSET(const PageContext& context, QWidget* parent)
    : PanelPage(context, parent) {
    setObjectName(QStringLiteral("ropListPage"));
    m_selector->move(8, 8);
}

}  // namespace trx
