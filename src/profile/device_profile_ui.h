#pragma once
// The profile bar of a device page: the combo of the kind's profiles, the name edit, the
// buttons that add, copy, delete, rename, import, export and reset profiles, and the
// operation tabs of the page. The list itself lives in a ProfileStore; the bar mirrors it
// in the combo, turns the store's results into the message boxes of the page, and tells
// the device object which profile to work on.
//
// Skin: "XML\CustomControlXML\DeviceProfile.xml", whose root is of class "DeviceProfile".
// The routing of the main window calls the ProfileBar operations; a selection in the
// combo starts the main window's timer, on which OnSwitchToSelected runs.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "device/device_page.h"
#include "profile/profile_store.h"

namespace dz {

// One message box the bar wants shown.
struct ProfileMessageBox {
    QString message;  // a language text identifier when text_is_id
    bool text_is_id = true;
    int button_mode = 0;        // 0 confirm only, 1 confirm and cancel
    bool owned_by_main = true;  // false: no owner, centred on the screen
};
// Shows the box modally; 1 when the user confirmed, 0 otherwise.
using ProfileMessageBoxFunction = std::function<int(const ProfileMessageBox&)>;
// Runs the open (save false) or save (save true) dialog for profile files; the chosen
// path, or empty when the user cancelled.
using ProfileFileDialogFunction = std::function<QString(QWidget* owner, bool save)>;

class CDeviceProfileUI : public QWidget, public ProfileBar {
    Q_OBJECT

  public:
    explicit CDeviceProfileUI(QWidget* parent = nullptr);
    ~CDeviceProfileUI() override;

    // The bar itself, or the first bar below `w` (a page, or the holder the main window
    // builds the bar's skin into); null when there is none.
    [[nodiscard]] static CDeviceProfileUI* Of(QWidget* w);

    // Device initialisation: type, folders and device, then Initialise.
    void SetDeviceType(int type) { device_type_ = type; }
    [[nodiscard]] int DeviceType() const { return device_type_; }
    void SetFolders(std::filesystem::path user_folder, std::filesystem::path default_data_file);
    void SetDevice(DevicePage* device) { device_ = device; }
    // ProfileBar: the three above at once.
    void AttachDevice(DevicePage* device, int device_type,
                      const std::filesystem::path& user_folder,
                      const std::filesystem::path& default_data_file) override;
    // Reads (or creates) the list, fills the combo, selects the recorded profile (clamped
    // into the list) and shows the operation tabs of the device type. Runs again after a
    // change of the list file by another program.
    void Initialise() override;

    // Message boxes and file dialogs; every new bar starts with the defaults given to
    // RegisterProfileControls and the system's file dialogs.
    void SetMessageBox(ProfileMessageBoxFunction box) { message_box_ = std::move(box); }
    void SetFileDialog(ProfileFileDialogFunction dialog) { file_dialog_ = std::move(dialog); }

    // Marks tab n (1..8, see kOperationTabNames) selected and the others not, without
    // notifications; only when the skin has all eight.
    void SelectOpTab(int n) override;

    [[nodiscard]] std::string GetCurrentUUID() const override;
    // The combo's selection, or -1.
    [[nodiscard]] int GetSelectedIndex() const;
    // Selects profile `index` (clamped into the list) and records it in the list file; with
    // `notify` the combo reports "itemselect" as a pick of the user would.
    void SelectProfile(int index, bool notify);
    [[nodiscard]] int GetProfileCount();
    [[nodiscard]] std::filesystem::path GetProfilePath(int index) const;
    // Null before SetFolders.
    [[nodiscard]] ProfileStore* Store() { return store_.get(); }

    // The operations on the selected profile. The device keeps its loaded profile, except
    // after a delete, when it takes the profile that is selected then.
    void AddProfile();
    void DeleteProfile();
    void CopyProfile();
    void ImportProfile(const std::filesystem::path& path);
    void ExportProfile(const std::filesystem::path& path);
    // 1 done, 0 name taken, 2 name blank, -1 not done for another reason (no list, a file
    // that cannot be written).
    int RenameProfile(const QString& name);

    [[nodiscard]] QString GetNameEditText() const;
    void SetNameEditText(const QString& text);
    void ShowProfileMenu(bool show);
    [[nodiscard]] bool IsProfileMenuShown() const;

    // ProfileBar: what the routing of the main window calls.
    void OnAdd() override;
    void OnDelete() override;
    void OnCopy() override;
    void OnRename() override;
    void OnExpand() override;
    void OnImport() override;
    void OnExport() override;
    // The main window's selection timer: the device takes the selected profile.
    void OnSwitchToSelected() override;
    // The selected profile takes the default data again (after the main window's
    // confirmation; the main window then has the device reload it).
    void ResetProfile() override;

  private:
    [[nodiscard]] QWidget* Control(std::string_view name) const;
    QWidget* Combo() const { return Control("device_profile_combo"); }
    // The combo shows the store's list and selection, the edit the selected name.
    void RefreshCombo();
    // A pick in the combo that the timer has not applied yet is what the user sees as
    // selected: the operations act on it.
    void TakeComboSelection();
    // The device takes the store's current profile and writes it to the hardware.
    void ApplyCurrentToDevice();
    void ShowTabsOfDeviceType();
    int Message(const ProfileMessageBox& box) const;

    std::filesystem::path user_folder_;
    std::filesystem::path default_data_file_;
    int device_type_ = 0;
    std::unique_ptr<ProfileStore> store_;
    DevicePage* device_ = nullptr;
    ProfileMessageBoxFunction message_box_;
    ProfileFileDialogFunction file_dialog_;
};

// The system's open or save dialog with the filter "Profile Files(*.json)".
[[nodiscard]] QString RunProfileFileDialog(QWidget* owner, bool save);

// Registers "DeviceProfile" (and "CDeviceProfileUI") with the control factory. `message_box`
// becomes the message box of every bar created afterwards; without one a bar's message is
// only logged and answers 0.
void RegisterProfileControls(ProfileMessageBoxFunction message_box = {});

}  // namespace dz
