#pragma once

#include <array>

#include "pagebase/PanelPage.h"
#include "records/CameraListForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace trx {

class DisplayField;
class FormExchange;
class Ipv4AddressField;

// The Camera List page: the panel's 19 camera buttons with their camera types, addresses and
// ports, the connection mode, family and serial camera, and the exchanges that read, search,
// write and reset the panel's camera list.
class IPSetting final : public PanelPage {
    Q_OBJECT
  public:
    explicit IPSetting(const PageContext& context, QWidget* parent = nullptr);

    // The page's data as it stands, for the window and for tests.
    const CameraListForm& form() const { return m_form; }

  private:
    struct Row {
        QLabel* label = nullptr;
        QComboBox* type = nullptr;
        DisplayField* model = nullptr;
        DisplayField* mac = nullptr;
        Ipv4AddressField* address = nullptr;
        QLineEdit* port = nullptr;
        QComboBox* swap = nullptr;
    };

    void buildForm();
    QWidget* buildTopLines();
    QWidget* buildTable();
    QWidget* buildButtons();
    Row makeRow(int row, QWidget* parent);

    // The one data-exchange routine: every control and its form value, in either direction.
    void exchangeForm(FormExchange& fx);
    void loadForm();
    bool saveForm();
    // Lists, enabling and row highlights from the form model.
    void showLists();
    // Row labels on yellow while a search result is pending for rows the panel marked.
    void paintRowLabels();
    // showTable, then write the form.
    void refreshStep();
    void setSearchButtons(bool pending);

    // Row and radio handlers.
    void applyConnectionSettings();
    void cameraTypeChosen();
    void addressChanged();
    void swapChosen(int row);

    // Button operations.
    void networkSearch();
    void cancelSearch();
    void set();
    void initialize();

    // The REFRESH steps, shared with CANCEL.
    void readCameraList();
    // SET's exchange: the sealed table under the command of the search state, and its outcome.
    void writeCameraTable();

    CameraListForm m_form;
    std::array<Row, CameraTable::kRowCount> m_rows{};
    QRadioButton* m_serialModeRadio = nullptr;
    QRadioButton* m_ipModeRadio = nullptr;
    QRadioButton* m_ccuRadio = nullptr;
    QRadioButton* m_remoteCameraRadio = nullptr;
    QRadioButton* m_camcorderRadio = nullptr;
    QComboBox* m_serialNumberCombo = nullptr;
    QLabel* m_note = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_setButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_initializeButton = nullptr;
    bool m_readingForm = false;
};

}  // namespace trx
