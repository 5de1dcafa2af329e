#include "pagebase/SettingPageTexts.h"

namespace trx {

QString settingCommandErrorText() {
    return QStringLiteral("Command Error!!");
}

QString settingReadFailureText(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::ConnectFailed:
            return QStringLiteral("Not connected.");
        case ExchangeOutcome::CommandSendFailed:
            return QStringLiteral("Socket error.");
        default:
            return settingCommandErrorText();
    }
}

QString settingWriteFailureText(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::ConnectFailed:
            return QStringLiteral("Not connected.");
        case ExchangeOutcome::CommandSendFailed:
        case ExchangeOutcome::ReceiveFailed:
        case ExchangeOutcome::BlockSendFailed:
        case ExchangeOutcome::ResultReceiveFailed:
            return QStringLiteral("Socket error.");
        case ExchangeOutcome::NotAcknowledged:
            return QStringLiteral("Command error.");
        default:
            return settingCommandErrorText();
    }
}

}  // namespace trx
