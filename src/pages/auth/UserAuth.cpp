#include "pages/auth/UserAuth.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "pagebase/FailureTexts.h"
#include "pagebase/widgets/FormExchange.h"
#include "pagebase/widgets/HeadingLabel.h"
#include "pagebase/widgets/PageControls.h"
#include "pagebase/widgets/TargetSelectorBox.h"
#include "wire/Checksum.h"
#include "wire/Commands.h"

namespace trx {

namespace {

constexpr int kLabelWidth = 190;
constexpr int kFieldWidth = 260;
constexpr int kRowHeight = 26;
constexpr int kMaxChars = static_cast<int>(kCredentialMaxChars);

QString checkText(CredentialCheck check) {
    switch (check) {
        case CredentialCheck::OldUserNameIncomplete:
            return QStringLiteral("Complete the \"Old User Name\" field.");
        case CredentialCheck::NewUserNameIncomplete:
            return QStringLiteral("Complete the \"New User Name\" field.");
        case CredentialCheck::OldPasswordIncomplete:
            return QStringLiteral("Complete the \"Old Password\" field.");
        case CredentialCheck::NewPasswordIncomplete:
            return QStringLiteral("Complete the \"New Password\" field.");
        case CredentialCheck::RetypePasswordIncomplete:
            return QStringLiteral("Complete the \"Retype New Password\" field.");
        case CredentialCheck::RetypeMismatch:
            return QStringLiteral(
                "Password enterd in the \"Retype New Password\" field is incorrect.");
        case CredentialCheck::OldCredentialsRejected:
            return QStringLiteral("Old User Name or Old Password  is incorrect.");
        case CredentialCheck::Passed:
            break;
    }
    return {};
}

// The panel's login is bytes; the fields hold them one character per byte. The field checks
// keep typed text to ASCII, so nothing is lost either way.
std::string panelText(const QString& text) {
    return text.toLatin1().toStdString();
}

QString fieldText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

UserAuth::UserAuth(const PageContext& context, QWidget* parent) : PanelPage(context, parent) {
    setObjectName(QStringLiteral("userAuthPage"));
    setFixedSize(kPageWidth, kPageHeight);
    buildForm();
    loadForm();
}

void UserAuth::buildForm() {
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->setSpacing(12);
    page->addWidget(m_selector, 0, Qt::AlignLeft);

    m_form = new QWidget(this);
    m_form->setObjectName(QStringLiteral("credentialsForm"));
    auto* grid = new QGridLayout(m_form);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);

    const auto user = CharacterSet::UserName;
    const auto pass = CharacterSet::Password;
    m_oldUserNameEdit = addField(QStringLiteral("Old User Name"), QStringLiteral("oldUserName"),
                                 m_oldUserName, user, false);
    m_newUserNameEdit = addField(QStringLiteral("New User Name"), QStringLiteral("newUserName"),
                                 m_newUserName, user, false);
    m_oldPasswordEdit = addField(QStringLiteral("Old Password"), QStringLiteral("oldPassword"),
                                 m_oldPassword, pass, true);
    m_newPasswordEdit = addField(QStringLiteral("New Password"), QStringLiteral("newPassword"),
                                 m_newPassword, pass, true);
    m_retypePasswordEdit =
        addField(QStringLiteral("Retype New Password"), QStringLiteral("retypeNewPassword"),
                 m_retypePassword, pass, true);
    page->addWidget(m_form, 0, Qt::AlignLeft);

    m_refreshButton =
        makePageButton(QStringLiteral("REFRESH"), QStringLiteral("refreshButton"), this);
    m_setButton = makePageButton(QStringLiteral("SET"), QStringLiteral("setButton"), this);
    QWidget* buttonRow = makeButtonRow({m_refreshButton, m_setButton}, this);
    buttonRow->setFixedWidth(kLabelWidth + kFieldWidth + grid->horizontalSpacing());
    page->addWidget(buttonRow, 0, Qt::AlignLeft);
    page->addStretch(1);

    bindOperation(m_refreshButton, [this] { refresh(); });
    bindOperation(m_setButton, [this] { set(); });
}

QLineEdit* UserAuth::addField(const QString& text, const QString& name, QString& value,
                              CharacterSet set, bool hidden) {
    auto* grid = static_cast<QGridLayout*>(m_form->layout());
    auto* label = new HeadingLabel(text, m_form);
    label->setObjectName(name + QStringLiteral("Label"));
    label->setFixedSize(kLabelWidth, kRowHeight);
    auto* edit = new QLineEdit(m_form);
    edit->setObjectName(name + QStringLiteral("Edit"));
    edit->setAccessibleName(text);
    edit->setFixedSize(kFieldWidth, kRowHeight);
    edit->setMaxLength(kMaxChars);
    if (hidden) {
        edit->setEchoMode(QLineEdit::Password);
    }
    label->setBuddy(edit);
    grid->addWidget(label, m_rows, 0);
    grid->addWidget(edit, m_rows, 1);
    ++m_rows;
    // textEdited carries the user's changes only; the page's own loads do not check anything.
    connect(edit, &QLineEdit::textEdited, this, [this, &value, set] { validate(value, set); });
    return edit;
}

void UserAuth::exchangeForm(FormExchange& fx) {
    fx.text(m_oldUserNameEdit, m_oldUserName, kMaxChars);
    fx.text(m_newUserNameEdit, m_newUserName, kMaxChars);
    fx.text(m_oldPasswordEdit, m_oldPassword, kMaxChars);
    fx.text(m_newPasswordEdit, m_newPassword, kMaxChars);
    fx.text(m_retypePasswordEdit, m_retypePassword, kMaxChars);
    fx.selector(m_selector, context().selection);
}

void UserAuth::loadForm() {
    FormExchange fx(FormExchange::Direction::Load, context().messages);
    exchangeForm(fx);
}

bool UserAuth::saveForm() {
    FormExchange fx(FormExchange::Direction::Save, context().messages);
    exchangeForm(fx);
    return !fx.failed();
}

void UserAuth::validate(QString& value, CharacterSet set) {
    saveForm();
    const FieldCheck check = checkField(value.toStdU16String(), set);
    switch (check.verdict) {
        case FieldCheck::Verdict::Accepted:
            return;
        case FieldCheck::Verdict::Disallowed:
            value.truncate(static_cast<qsizetype>(check.keep));
            loadForm();
            showWarning(QStringLiteral("Enterd information is incorrect. Enter again."));
            return;
        case FieldCheck::Verdict::TooLong:
            value.truncate(static_cast<qsizetype>(check.keep));
            loadForm();
            showWarning(QStringLiteral("String too long."));
            return;
    }
}

void UserAuth::showRecord() {
    loadForm();
    const std::optional<std::string> userName = m_record.userName();
    const std::optional<std::string> password = m_record.password();
    if (!userName || !password) {
        return;
    }
    m_stored = {*userName, *password};
    // The password read from the panel is never shown; it only becomes the stored one.
    m_oldUserName = fieldText(*userName);
    m_newUserName.clear();
    m_oldPassword.clear();
    m_newPassword.clear();
    m_retypePassword.clear();
    loadForm();
    update();
}

void UserAuth::refresh() {
    const ExchangeResult result = requestFromTarget(command::kAuthRequest);
    if (!tellOutcome(settingReadFailures(), result.outcome)) {
        return;
    }
    // A reply shorter than the record would leave a mix of two logins in it.
    if (!m_record.takeReply(result.bytes)) {
        showError(settingCommandErrorText());
        return;
    }
    showRecord();
}

void UserAuth::set() {
    // A field that cannot be read has been shown to the operator; nothing goes to the panel.
    if (!saveForm()) {
        return;
    }
    const CredentialForm form{panelText(m_oldUserName), panelText(m_newUserName),
                              panelText(m_oldPassword), panelText(m_newPassword),
                              panelText(m_retypePassword)};
    const CredentialCheck check = checkForWrite(form, m_stored);
    if (check != CredentialCheck::Passed) {
        showError(checkText(check));
        return;
    }
    if (!confirmReboot()) {
        return;
    }
    m_record.buildBlock(form.newUserName, form.newPassword);
    const ExchangeResult result = writeToTarget(command::kAuthChange, m_record.bytes());
    if (tellOutcome(settingWriteFailures(), result.outcome)) {
        if (startsWith(result.bytes, panel_line::kWriteOk)) {
            showStatus(QStringLiteral("Write OK."), QStringLiteral("Status"));
        } else {
            showError(QStringLiteral("Write error."));
        }
    }
    // The pair just tried becomes the stored one whether or not the panel took it.
    showRecord();
}

}  // namespace trx
