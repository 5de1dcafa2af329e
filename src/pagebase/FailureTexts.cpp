#include "pagebase/FailureTexts.h"

namespace trx {

namespace {

constexpr std::size_t indexOf(ExchangeOutcome outcome) {
    return static_cast<std::size_t>(outcome);
}

}  // namespace

FailureTexts::FailureTexts(const char* otherwise,
                           std::initializer_list<std::pair<ExchangeOutcome, const char*>> texts) {
    m_texts.fill(otherwise);
    m_texts[indexOf(ExchangeOutcome::Ok)] = nullptr;
    for (const auto& [outcome, text] : texts) {
        m_texts[indexOf(outcome)] = text;
    }
}

QString FailureTexts::text(ExchangeOutcome outcome) const {
    const std::size_t index = indexOf(outcome);
    return index < m_texts.size() && m_texts[index] != nullptr ? QString::fromUtf8(m_texts[index])
                                                               : QString();
}

const FailureTexts& settingReadFailures() {
    static const FailureTexts texts("Command Error!!",
                                    {{ExchangeOutcome::ConnectFailed, "Not connected."},
                                     {ExchangeOutcome::CommandSendFailed, "Socket error."}});
    return texts;
}

const FailureTexts& settingWriteFailures() {
    static const FailureTexts texts("Command Error!!",
                                    {{ExchangeOutcome::ConnectFailed, "Not connected."},
                                     {ExchangeOutcome::CommandSendFailed, "Socket error."},
                                     {ExchangeOutcome::ReceiveFailed, "Socket error."},
                                     {ExchangeOutcome::BlockSendFailed, "Socket error."},
                                     {ExchangeOutcome::ResultReceiveFailed, "Socket error."},
                                     {ExchangeOutcome::NotAcknowledged, "Command error."}});
    return texts;
}

QString settingCommandErrorText() {
    return QStringLiteral("Command Error!!");
}

}  // namespace trx
