#pragma once
// CShootControlUI: the mouse page's editor of shooting patterns ("ShootControlItem"). Four
// guns of 30 bullets, one pattern file each; the panel shows and edits one bullet at a time
// and rewrites that bullet's six events in the gun's file, draws each gun's pattern as the
// path the pointer takes, resets, imports and exports a gun's file, and has the mouse send
// all four patterns to the device ("shootdate_save_btn").
//
// Skin: "XML\CustomControlXML\ShootControl.xml", whose root is of class "ShootControl".
// The main window's routing calls the ShootingPanel operations; the file work is that of
// models/mouse_shoot.h, which dozadirctl shares.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "device/device_page.h"
#include "models/mouse_shoot.h"

namespace dz::panels {

class ShootPatternView;

// Runs the open (save false) or save (save true) dialog for pattern files; the chosen path,
// or empty when the user cancelled.
using ShootFileDialogFunction = std::function<QString(QWidget* owner, bool save)>;

class CShootControlUI : public QWidget, public ShootingPanel {
    Q_OBJECT
  public:
    static constexpr const char* kClassName = "ShootControl";

    explicit CShootControlUI(QWidget* parent = nullptr);
    ~CShootControlUI() override;

    // ---- ShootingPanel: what the mouse gives its panel ------------------------------------
    // The two folders, then Initialise.
    void SetFolders(const std::filesystem::path& data_folder,
                    const std::filesystem::path& default_folder) override;
    void SetUpload(Upload upload) override { upload_ = std::move(upload); }

    // ---- ShootingPanel: the routing ---------------------------------------------------------
    void OnSave() override;  // the mouse sends the four patterns
    void OnReset() override;
    void OnBulletPrev() override;
    void OnBulletNext() override;
    void OnImport() override;
    void OnExport() override;
    void OnGunOption(int n) override;
    void OnBulletOption(int n) override;
    void OnAxis(int which) override;
    void OnEdit(int which) override;

    // ---- Operations -------------------------------------------------------------------------
    // Finds the controls; every working file that cannot be read as JSON takes its default
    // copy; shows gun 0 without a bullet selected.
    void Initialise();
    // Gun n (held to 0..3): its option, its page of "shoot_image_display_switch".
    void SelectGun(int n);
    // Bullet n (held to 0..29): its option, its number from 1, its values in the editor.
    void SelectBullet(int n);
    void ShowBullet();
    // The current bullet's values from the editor into the current gun's file.
    void SaveBullet();
    void ResetGun(int n);
    void Import(const std::filesystem::path& path);
    void Export(const std::filesystem::path& path);

    void SetFileDialog(ShootFileDialogFunction dialog) { file_dialog_ = std::move(dialog); }

    [[nodiscard]] int CurrentGun() const { return gun_; }
    [[nodiscard]] int CurrentBullet() const { return bullet_; }
    [[nodiscard]] bool ControlsFound() const { return controls_found_; }
    [[nodiscard]] const ShootFolders& Folders() const { return folders_; }
    // The language text identifier the state line shows now (empty: none).
    [[nodiscard]] QString StateText() const { return state_text_; }
    [[nodiscard]] ShootPatternView* View(int gun) const;
    // Every language text the panel shows from code (the skin's own are in the skin).
    [[nodiscard]] static std::vector<const char*> TextIds();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] QWidget* Control(const QString& name) const;
    void FindControls();
    void ShowAxisText(int which);
    void SaveIfEditing();
    // The editor is there for a selected bullet only.
    void ShowEditorState();
    void RefreshViews();
    void RefreshView(int gun);
    void ShowState(const QString& text_id);
    void ShowCopyResult(FileCopyResult result, const char* done_text_id);
    [[nodiscard]] ShootBullet BulletFromEditor() const;

    ShootFolders folders_;
    int gun_ = 0;
    int bullet_ = -1;
    bool controls_found_ = false;
    Upload upload_;
    ShootFileDialogFunction file_dialog_;
    QString state_text_;

    std::array<QWidget*, kShootPatternCount> gun_options_{};
    std::array<QWidget*, kShootBullets> bullet_options_{};
    QWidget* display_switch_ = nullptr;
    QWidget* index_label_ = nullptr;
    QWidget* prev_ = nullptr;
    QWidget* next_ = nullptr;
    QWidget* editor_ = nullptr;
    QWidget* x_check_ = nullptr;
    QWidget* y_check_ = nullptr;
    std::array<QWidget*, 3> edits_{};  // x, y, delay
    QWidget* state_label_ = nullptr;
    std::array<ShootPatternView*, kShootPatternCount> views_{};
};

// The system's open or save dialog with the filter "Shoot Files(*.shoot)".
[[nodiscard]] QString RunShootFileDialog(QWidget* owner, bool save);

// Registers "ShootControl" (and "CShootControlUI") and "ShootPatternView" with the control
// factory.
void RegisterShootControls();

}  // namespace dz::panels
