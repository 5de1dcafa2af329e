#pragma once

namespace trx {

class CTRX900IPSET;
class FileDialogs;
class IPSetting;
class SettingData;
class TargetSelection;

// The window's file commands. A profile is the Camera List and Configuration pages' data, a list
// the ROP List page's rows. Saving reads the pages back with their own SET or REGISTER checks;
// opening fills the pages all at once or not at all, and sends nothing: the operator writes with
// the pages' own buttons. Each command runs as a page operation, so it never overlaps another.
class PanelFileCommands {
  public:
    PanelFileCommands(IPSetting& cameras, SettingData& settings, CTRX900IPSET& rop,
                      const TargetSelection& selection, FileDialogs& dialogs);

    void saveProfile();
    void openProfile();
    void saveList();
    void openList();

  private:
    IPSetting& m_cameras;
    SettingData& m_settings;
    CTRX900IPSET& m_rop;
    const TargetSelection& m_selection;
    FileDialogs& m_dialogs;
};

}  // namespace trx
