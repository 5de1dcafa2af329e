#pragma once

#include <string_view>

namespace trx {

// What one exchange with a panel ended in. Each page maps these to its own message texts.
enum class ExchangeOutcome {
    Ok,
    SocketCreateFailed,
    ConnectFailed,
    CommandSendFailed,
    ReceiveFailed,
    ChecksumFailed,
    NotAcknowledged,
    BlockSendFailed,
    ResultReceiveFailed,
};

constexpr std::string_view outcomeName(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Ok:
            return "Ok";
        case ExchangeOutcome::SocketCreateFailed:
            return "SocketCreateFailed";
        case ExchangeOutcome::ConnectFailed:
            return "ConnectFailed";
        case ExchangeOutcome::CommandSendFailed:
            return "CommandSendFailed";
        case ExchangeOutcome::ReceiveFailed:
            return "ReceiveFailed";
        case ExchangeOutcome::ChecksumFailed:
            return "ChecksumFailed";
        case ExchangeOutcome::NotAcknowledged:
            return "NotAcknowledged";
        case ExchangeOutcome::BlockSendFailed:
            return "BlockSendFailed";
        case ExchangeOutcome::ResultReceiveFailed:
            return "ResultReceiveFailed";
    }
    return "?";
}

}  // namespace trx
