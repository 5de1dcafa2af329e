#pragma once

#include <QString>

#include "wire/ExchangeOutcome.h"

namespace trx {

// The Configuration and UserAuth. pages tell the operator the same texts for a failed exchange.
QString settingCommandErrorText();
QString settingReadFailureText(ExchangeOutcome outcome);
// Every failure of a write is told, also those after the connection was made, so that no
// failed write looks like a success.
QString settingWriteFailureText(ExchangeOutcome outcome);

}  // namespace trx
