#pragma once

#include "exchange/PanelExchange.h"

namespace trx {

class MessageBoxes;
class OperationGuard;
class TargetSelection;

// What every page is given: the one shared target selection, the message-box seam, how to dial
// panels, and the guard that keeps page operations from overlapping.
struct PageContext {
    TargetSelection& selection;
    MessageBoxes& messages;
    OperationGuard& guard;
    ExchangeSettings exchange;
};

}  // namespace trx
