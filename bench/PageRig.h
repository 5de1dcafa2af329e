#pragma once

#include "bench/BenchSupport.h"
#include "exchange/PanelExchange.h"
#include "pagebase/OperationGuard.h"
#include "panel-sim/PanelSimulator.h"
#include "records/TargetSelection.h"

namespace trx::bench {

// One page against simulated panels in this process, with everything the page is given.
template <typename Page>
struct PageRig {
    sim::PanelSimulator simulator;
    TargetSelection selection;
    QuietMessageBoxes messages;
    OperationGuard guard;
    ExchangeSettings exchange;
    Page* page = nullptr;
};

}  // namespace trx::bench
