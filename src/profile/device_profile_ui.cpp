#include "profile/device_profile_ui.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <array>

#include "platform/log/debug_log.h"
#include "profile/profile_bar_model.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz {
namespace {

constexpr int kComboItemHeight = 30;

ProfileMessageBoxFunction& DefaultMessageBox() {
    static ProfileMessageBoxFunction box;
    return box;
}

QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void LogIfFailed(const char* operation, ProfileResult result) {
    if (result == ProfileResult::kDone) return;
    log::DebugLineF("profile bar: %s: %s", operation, ProfileResultText(result));
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent)
    : QWidget(parent), message_box_(DefaultMessageBox()), file_dialog_(&RunProfileFileDialog) {}

CDeviceProfileUI::~CDeviceProfileUI() = default;

CDeviceProfileUI* CDeviceProfileUI::Of(QWidget* w) {
    if (w == nullptr) return nullptr;
    if (auto* bar = qobject_cast<CDeviceProfileUI*>(w)) return bar;
    return w->findChild<CDeviceProfileUI*>();
}

void CDeviceProfileUI::SetFolders(std::filesystem::path user_folder,
                                  std::filesystem::path default_data_file) {
    user_folder_ = std::move(user_folder);
    default_data_file_ = std::move(default_data_file);
}

void CDeviceProfileUI::AttachDevice(DevicePage* device, int device_type,
                                    const std::filesystem::path& user_folder,
                                    const std::filesystem::path& default_data_file) {
    SetDeviceType(device_type);
    SetFolders(user_folder, default_data_file);
    SetDevice(device);
}

QWidget* CDeviceProfileUI::Control(std::string_view name) const {
    return findChild<QWidget*>(Str(name));
}

void CDeviceProfileUI::Initialise() {
    if (user_folder_.empty()) {
        log::DebugLine("profile bar: initialised without a user data folder");
        return;
    }
    // The store is made here so that it takes the device type given last.
    if (!store_ || store_->UserFolder() != user_folder_) {
        store_ = std::make_unique<ProfileStore>(user_folder_, default_data_file_, device_type_);
    }
    store_->Initialise();
    if (Combo() == nullptr) {
        log::DebugLine("profile bar: the skin has no device_profile_combo");
        return;
    }
    RefreshCombo();
    ShowTabsOfDeviceType();
}

void CDeviceProfileUI::ShowTabsOfDeviceType() {
    for (const TabVisibility& t : OperationTabVisibility(device_type_)) {
        ui::SetVisible(Control(t.tab), t.visible);
    }
}

void CDeviceProfileUI::SelectOpTab(int n) {
    if (n < 1 || n > static_cast<int>(kOperationTabNames.size())) return;
    std::array<QWidget*, kOperationTabNames.size()> tabs{};
    for (size_t i = 0; i < tabs.size(); ++i) {
        tabs[i] = Control(kOperationTabNames[i]);
        if (tabs[i] == nullptr) return;
    }
    for (size_t i = 0; i < tabs.size(); ++i) {
        ui::SetSelected(tabs[i], static_cast<int>(i) + 1 == n, false);
    }
}

std::string CDeviceProfileUI::GetCurrentUUID() const {
    return store_ ? store_->GetCurrentUUID() : std::string();
}

int CDeviceProfileUI::GetSelectedIndex() const {
    if (QWidget* combo = Combo()) return ui::CurSel(combo);
    return store_ ? store_->GetSelectedIndex() : -1;
}

void CDeviceProfileUI::RefreshCombo() {
    QWidget* combo = Combo();
    if (combo == nullptr || !store_) return;
    const std::vector<ProfileEntry>& entries = store_->Profiles();
    bool same = ui::Count(combo) == static_cast<int>(entries.size());
    for (size_t i = 0; same && i < entries.size(); ++i) {
        same = ui::ItemText(combo, static_cast<int>(i)) == QString::fromStdString(entries[i].name);
    }
    if (!same) {
        ui::RemoveAll(combo);
        for (const ProfileEntry& entry : entries) {
            const QString name = QString::fromStdString(entry.name);
            ui::AddItem(combo, name);
            if (auto* c = qobject_cast<QComboBox*>(combo)) {
                const int at = c->count() - 1;
                c->setItemData(at, name, Qt::UserRole);
                c->setItemData(at, QSize(0, kComboItemHeight), Qt::SizeHintRole);
            }
        }
    }
    const int selected = store_->GetSelectedIndex();
    (void)ui::SelectItem(combo, selected, false);
    const bool valid = selected >= 0 && selected < static_cast<int>(entries.size());
    SetNameEditText(valid ? QString::fromStdString(entries[static_cast<size_t>(selected)].name)
                          : QString());
}

void CDeviceProfileUI::TakeComboSelection() {
    if (!store_) return;
    const int pick = GetSelectedIndex();
    if (pick >= 0 && pick != store_->GetSelectedIndex()) {
        LogIfFailed("select", store_->SelectProfile(pick));
    }
}

void CDeviceProfileUI::SelectProfile(int index, bool notify) {
    if (!store_ || store_->Profiles().empty()) return;
    const int previous = GetSelectedIndex();
    const auto clamped = [this](int i) {
        return std::clamp(i, 0, static_cast<int>(store_->Profiles().size()) - 1);
    };
    ProfileResult result = store_->SelectProfile(clamped(index));
    // The store re-reads the list first; another program may have shortened it.
    if (result == ProfileResult::kNoSelection && !store_->Profiles().empty()) {
        result = store_->SelectProfile(clamped(index));
    }
    LogIfFailed("select", result);
    RefreshCombo();
    if (notify) {
        if (QWidget* combo = Combo()) {
            (void)ui::RaiseNotify(combo, Str(ui::notify::kItemSelect), GetSelectedIndex(),
                                  previous);
        }
    }
}

int CDeviceProfileUI::GetProfileCount() {
    return store_ ? store_->GetProfileCount() : 0;
}

std::filesystem::path CDeviceProfileUI::GetProfilePath(int index) const {
    return store_ ? store_->GetProfilePath(index) : std::filesystem::path();
}

void CDeviceProfileUI::AddProfile() {
    if (Combo() == nullptr || !store_) return;
    TakeComboSelection();
    LogIfFailed("add", store_->AddProfile().result);
    RefreshCombo();
}

void CDeviceProfileUI::CopyProfile() {
    if (Combo() == nullptr || !store_) return;
    TakeComboSelection();
    LogIfFailed("copy", store_->CopyProfile().result);
    RefreshCombo();
}

void CDeviceProfileUI::ImportProfile(const std::filesystem::path& path) {
    if (Combo() == nullptr || !store_) return;
    TakeComboSelection();
    LogIfFailed("import", store_->ImportProfile(path).result);
    RefreshCombo();
}

void CDeviceProfileUI::ExportProfile(const std::filesystem::path& path) {
    if (!store_) return;
    TakeComboSelection();
    LogIfFailed("export", store_->ExportProfile(path));
}

void CDeviceProfileUI::ResetProfile() {
    if (!store_) return;
    TakeComboSelection();
    LogIfFailed("reset", store_->ResetProfile());
}

void CDeviceProfileUI::DeleteProfile() {
    if (Combo() == nullptr || !store_) return;
    TakeComboSelection();
    const ProfileChange change = store_->DeleteProfile();
    LogIfFailed("delete", change.result);
    RefreshCombo();
    // The device must not go on saving into the file that was just deleted.
    if (change.result == ProfileResult::kDone) ApplyCurrentToDevice();
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
    if (Combo() == nullptr || !store_) return -1;
    TakeComboSelection();
    const ProfileResult result = store_->RenameProfile(name.toStdString());
    switch (result) {
        case ProfileResult::kDone:
            RefreshCombo();
            return 1;
        case ProfileResult::kNameTaken:
            return 0;
        case ProfileResult::kNameBlank:
            return 2;
        default:
            // Not a name the user has to change: no message that says so.
            LogIfFailed("rename", result);
            return -1;
    }
}

QString CDeviceProfileUI::GetNameEditText() const {
    return ui::Text(Control("device_profile_name_edit"));
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
    ui::SetText(Control("device_profile_name_edit"), text);
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
    ui::SetVisible(Control("profile_menu_layout"), show);
}

bool CDeviceProfileUI::IsProfileMenuShown() const {
    return ui::IsVisible(Control("profile_menu_layout"));
}

void CDeviceProfileUI::ApplyCurrentToDevice() {
    if (device_ == nullptr || !store_) return;
    const std::string uuid = store_->GetCurrentUUID();
    if (uuid.empty()) return;
    device_->SetProfileName(uuid);
    device_->LoadProfile();
    device_->RefreshPage();
    QSize screen;
    if (const QScreen* s = QGuiApplication::primaryScreen()) screen = s->geometry().size();
    device_->WriteSystemSettings(0, 0, 1, screen.width(), screen.height());
    // Each profile has its own key assignments; macros belong to the kind and stay.
    if (device_->IsKeyboardOrMouse()) device_->WriteCurrentKeyMap(0);
}

int CDeviceProfileUI::Message(const ProfileMessageBox& box) const {
    if (message_box_) return message_box_(box);
    log::DebugLineF("profile bar: no message box for %s", qUtf8Printable(box.message));
    return 0;
}

void CDeviceProfileUI::OnAdd() {
    AddProfile();
}

void CDeviceProfileUI::OnDelete() {
    DeleteProfile();
}

void CDeviceProfileUI::OnCopy() {
    CopyProfile();
}

void CDeviceProfileUI::OnRename() {
    const QString text = GetNameEditText();
    if (text.isEmpty()) return;
    const int result = RenameProfile(text);
    if (result == 0) (void)Message({Str(kMessageNameTaken), true, 0, false});
    if (result == 2) (void)Message({Str(kMessageNameBlank), true, 0, false});
}

void CDeviceProfileUI::OnExpand() {
    ShowProfileMenu(!IsProfileMenuShown());
}

void CDeviceProfileUI::OnImport() {
    if (GetSelectedIndex() == -1 || !file_dialog_) return;
    const QString path = file_dialog_(window(), false);
    if (path.isEmpty()) return;
    ImportProfile(ToPath(path));
}

void CDeviceProfileUI::OnExport() {
    if (!file_dialog_) return;
    const QString path = file_dialog_(window(), true);
    if (path.isEmpty()) return;
    ExportProfile(ToPath(path));
}

void CDeviceProfileUI::OnSwitchToSelected() {
    const int index = GetSelectedIndex();
    if (index < 0) return;
    SelectProfile(index, false);
    ApplyCurrentToDevice();
}

QString RunProfileFileDialog(QWidget* owner, bool save) {
    QFileDialog dialog(owner, QString(), QString(), Str(kProfileFileFilterName));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // An exported file without the extension would not show in the import dialog.
    if (save) dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void RegisterProfileControls(ProfileMessageBoxFunction message_box) {
    DefaultMessageBox() = std::move(message_box);
    auto make = [](QWidget* parent) -> QWidget* { return new CDeviceProfileUI(parent); };
    ui::ControlFactory& factory = ui::ControlFactory::Instance();
    factory.RegistControl(QStringLiteral("DeviceProfile"), make);
    factory.RegistControl(QStringLiteral("CDeviceProfileUI"), make);
}

}  // namespace dz
