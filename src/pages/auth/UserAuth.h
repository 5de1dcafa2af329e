#pragma once

#include <QString>

#include "pagebase/PanelPage.h"
#include "records/Credentials.h"

class QLineEdit;
class QPushButton;

namespace trx {

class FormExchange;

// The UserAuth. page: reads the panel's login with REFRESH and changes it with SET, after the
// old login has been checked. Every field refuses, as it is typed, the characters the panel
// does not take.
class UserAuth final : public PanelPage {
    Q_OBJECT
  public:
    explicit UserAuth(const PageContext& context, QWidget* parent = nullptr);

  private:
    void buildForm();
    QLineEdit* addField(const QString& text, const QString& name, QString& value, CharacterSet set,
                        bool hidden);
    void exchangeForm(FormExchange& fx);
    void loadForm();
    bool saveForm();

    void validate(QString& value, CharacterSet set);
    void showRecord();
    void refresh();
    void set();

    CredentialsRecord m_record;
    StoredCredentials m_stored;
    QString m_oldUserName;
    QString m_newUserName;
    QString m_oldPassword;
    QString m_newPassword;
    QString m_retypePassword;

    QWidget* m_form = nullptr;
    int m_rows = 0;
    QLineEdit* m_oldUserNameEdit = nullptr;
    QLineEdit* m_newUserNameEdit = nullptr;
    QLineEdit* m_oldPasswordEdit = nullptr;
    QLineEdit* m_newPasswordEdit = nullptr;
    QLineEdit* m_retypePasswordEdit = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_setButton = nullptr;
};

}  // namespace trx
