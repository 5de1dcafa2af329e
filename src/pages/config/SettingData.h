#pragma once

#include "pagebase/PanelPage.h"
#include "records/SettingsRecord.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace trx {

class FormExchange;

// The Configuration page: the panel's receive port, display brightness, buzzer, FLARE/PED and
// tally settings, read with REFRESH and written with SET.
class SettingData final : public PanelPage {
    Q_OBJECT
  public:
    explicit SettingData(const PageContext& context, QWidget* parent = nullptr);

  private:
    void buildForm();
    QWidget* buildSettingsGrid();
    void exchangeForm(FormExchange& fx);
    void loadForm();
    bool saveForm();

    void refresh();
    void set();

    SettingsRecord m_record;
    SettingsValues m_values;

    QLineEdit* m_portEdit = nullptr;
    QComboBox* m_ledCombo = nullptr;
    QComboBox* m_segmentCombo = nullptr;
    QRadioButton* m_buzzerOnRadio = nullptr;
    QRadioButton* m_buzzerOffRadio = nullptr;
    QRadioButton* m_flareRadio = nullptr;
    QRadioButton* m_pedRadio = nullptr;
    QRadioButton* m_tallyOnRadio = nullptr;
    QRadioButton* m_tallyOffRadio = nullptr;
    QComboBox* m_tallyInputCombo = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_setButton = nullptr;
};

}  // namespace trx
