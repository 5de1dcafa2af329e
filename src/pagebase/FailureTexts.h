#pragma once

#include <QString>

#include <array>
#include <initializer_list>
#include <utility>

#include "wire/ExchangeOutcome.h"

namespace trx {

// One page's words for the ways an exchange can fail: a text for each outcome it names, and one
// for every other failure (none when otherwise is null). Ok is never told.
class FailureTexts {
  public:
    FailureTexts(const char* otherwise,
                 std::initializer_list<std::pair<ExchangeOutcome, const char*>> texts);

    // Empty when nothing is to be told.
    QString text(ExchangeOutcome outcome) const;

  private:
    static constexpr std::size_t kOutcomes =
        static_cast<std::size_t>(ExchangeOutcome::ResultReceiveFailed) + 1;
    std::array<const char*, kOutcomes> m_texts{};
};

// The Configuration and UserAuth. pages tell the same texts. Every failure of a write is told,
// also those after the connection was made, so that no failed write looks like a success.
const FailureTexts& settingReadFailures();
const FailureTexts& settingWriteFailures();
// A reply that arrived whole but cannot hold the page's record.
QString settingCommandErrorText();

}  // namespace trx
