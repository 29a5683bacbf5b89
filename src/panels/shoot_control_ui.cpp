#include "panels/shoot_control_ui.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "panels/shoot_pattern_view.h"
#include "platform/log/debug_log.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"

namespace dz::panels {
namespace {

// The texts the panel shows from code (language text identifiers).
namespace text {
constexpr char kSourceMissing[] = "shoot_source_missing_text";
constexpr char kSourceUnreadable[] = "shoot_source_unreadable_text";
constexpr char kSourceNotPattern[] = "shoot_source_not_pattern_text";
constexpr char kTargetKept[] = "shoot_target_kept_text";
constexpr char kWriteFailed[] = "shoot_write_failed_text";
constexpr char kSaveFailed[] = "shoot_save_failed_text";
constexpr char kResetDone[] = "shoot_reset_done_text";
constexpr char kImportDone[] = "shoot_import_done_text";
constexpr char kExportDone[] = "shoot_export_done_text";
constexpr char kLeft[] = "mouse_move_to_left_text";
constexpr char kRight[] = "mouse_move_to_right_text";
constexpr char kUp[] = "mouse_move_to_up_text";
constexpr char kDown[] = "mouse_move_to_down_text";
constexpr char kNotSent[] = "shoot_not_sent_text";
constexpr char kSending[] = "shoot_sending_text";
constexpr char kSent[] = "shoot_sent_text";
}  // namespace text

constexpr char kFileFilter[] = "Shoot Files(*.shoot)";
constexpr std::array<const char*, 3> kEditNames = {"bullet_x_eidt", "bullet_y_eidt",
                                                   "bullet_delay_eidt"};

QString Numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// An edit's decimal value; a missing or empty text reads as 0.
int EditValue(const QWidget* edit) {
    bool ok = false;
    const int v = ui::Text(edit).trimmed().toInt(&ok);
    return ok ? v : 0;
}

const char* CopyFailureText(FileCopyResult result) {
    switch (result) {
        case FileCopyResult::kSourceMissing:
            return text::kSourceMissing;
        case FileCopyResult::kSourceUnreadable:
            return text::kSourceUnreadable;
        case FileCopyResult::kSourceNotJson:
            return text::kSourceNotPattern;
        case FileCopyResult::kTargetKept:
            return text::kTargetKept;
        case FileCopyResult::kWriteFailed:
        case FileCopyResult::kDone:
            break;
    }
    return text::kWriteFailed;
}

}  // namespace

CShootControlUI::CShootControlUI(QWidget* parent)
    : QWidget(parent), file_dialog_(&RunShootFileDialog) {}

CShootControlUI::~CShootControlUI() = default;

QWidget* CShootControlUI::Control(const QString& name) const {
    return findChild<QWidget*>(name);
}

ShootPatternView* CShootControlUI::View(int gun) const {
    return IsShootGun(gun) ? views_[static_cast<size_t>(gun)] : nullptr;
}

void CShootControlUI::SetFolders(const std::filesystem::path& data_folder,
                                 const std::filesystem::path& default_folder) {
    folders_ = {data_folder, default_folder};
    Initialise();
}

void CShootControlUI::FindControls() {
    controls_found_ = true;
    auto find = [this](const QString& name) {
        QWidget* w = Control(name);
        if (w == nullptr) {
            controls_found_ = false;
            log::DebugLineF("shooting panel: no control %s", qUtf8Printable(name));
        }
        return w;
    };
    for (int n = 0; n < kShootPatternCount; ++n) {
        gun_options_[static_cast<size_t>(n)] = find(Numbered("shoot_gun_op_", n));
        views_[static_cast<size_t>(n)] =
            qobject_cast<ShootPatternView*>(Control(Numbered("shoot_pattern_view_", n)));
    }
    for (int n = 0; n < kShootBullets; ++n)
        bullet_options_[static_cast<size_t>(n)] = find(Numbered("bullet_op_", n));
    display_switch_ = find(QStringLiteral("shoot_image_display_switch"));
    index_label_ = find(QStringLiteral("bullet_select_index"));
    prev_ = find(QStringLiteral("bullet_selected_prev"));
    next_ = find(QStringLiteral("bullet_selected_next"));
    editor_ = find(QStringLiteral("bullet_edit_layout"));
    x_check_ = find(QStringLiteral("bullet_x_check"));
    y_check_ = find(QStringLiteral("bullet_y_check"));
    for (size_t i = 0; i < kEditNames.size(); ++i) {
        edits_[i] = find(QString::fromLatin1(kEditNames[i]));
        // Enter takes the value at once, Escape shows the stored one again.
        if (edits_[i] != nullptr) edits_[i]->installEventFilter(this);
    }
    for (const char* name : {"shootdate_import_btn", "shootdate_export_btn", "shootdate_save_btn",
                             "shootdate_reset_btn"})
        (void)find(QString::fromLatin1(name));
    state_label_ = Control(QStringLiteral("shoot_state_text"));
    for (int gun = 0; gun < kShootPatternCount; ++gun) {
        ShootPatternView* view = views_[static_cast<size_t>(gun)];
        if (view == nullptr) continue;
        disconnect(view, &ShootPatternView::BulletPicked, this, nullptr);  // found again
        connect(view, &ShootPatternView::BulletPicked, this, [this](int b) { SelectBullet(b); });
    }
}

void CShootControlUI::Initialise() {
    FindControls();
    const std::vector<int> reset = EnsureShootFiles(folders_);
    for (const int gun : reset) log::DebugLineF("shooting pattern %d: default copy taken", gun);
    gun_ = 0;
    bullet_ = -1;
    SelectGun(0);
    ui::SetText(index_label_, QString());
    for (QWidget* e : edits_) ui::SetText(e, QString());
    ShowAxisText(0);
    ShowAxisText(1);
    ShowEditorState();
    RefreshViews();
}

// ---- Gun and bullet ------------------------------------------------------------------------

void CShootControlUI::SelectGun(int n) {
    SaveIfEditing();
    for (QWidget* option : gun_options_) ui::SetSelected(option, false);
    gun_ = std::clamp(n, 0, kShootPatternCount - 1);
    ui::SetSelected(gun_options_[static_cast<size_t>(gun_)], true);
    (void)ui::SelectItem(display_switch_, gun_);
    if (ShootPatternView* view = View(gun_)) view->SetSelectedBullet(bullet_);
}

void CShootControlUI::SaveIfEditing() {
    // A switch that does not take the focus from the edit (a dot of the picture) must not
    // drop what was typed.
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && std::find(edits_.begin(), edits_.end(), focus) != edits_.end())
        SaveBullet();
}

void CShootControlUI::SelectBullet(int n) {
    SaveIfEditing();
    for (QWidget* option : bullet_options_) ui::SetSelected(option, false);
    bullet_ = std::clamp(n, 0, kShootBullets - 1);
    ui::SetSelected(bullet_options_[static_cast<size_t>(bullet_)], true);
    ui::SetText(index_label_, QString::number(bullet_ + 1));
    ShowEditorState();
    ShowBullet();
}

void CShootControlUI::ShowBullet() {
    if (ShootPatternView* view = View(gun_)) view->SetSelectedBullet(bullet_);
    if (bullet_ < 0) return;
    const ShootBullet b = BulletOf(ReadShootFile(folders_, gun_), bullet_);
    ui::SetSelected(x_check_, b.left);
    ui::SetText(edits_[0], QString::number(b.x));
    ui::SetSelected(y_check_, b.up);
    ui::SetText(edits_[1], QString::number(b.y));
    ui::SetText(edits_[2], QString::number(b.delay));
    ShowAxisText(0);
    ShowAxisText(1);
}

ShootBullet CShootControlUI::BulletFromEditor() const {
    ShootBullet b;
    b.left = ui::IsSelected(x_check_);
    b.x = EditValue(edits_[0]);
    b.up = ui::IsSelected(y_check_);
    b.y = EditValue(edits_[1]);
    b.delay = EditValue(edits_[2]);
    return b;
}

void CShootControlUI::SaveBullet() {
    if (bullet_ < 0) return;  // nothing is being edited
    if (!SaveShootBullet(folders_, gun_, bullet_, BulletFromEditor())) {
        ShowState(QString::fromLatin1(text::kSaveFailed));
        return;
    }
    RefreshView(gun_);
}

void CShootControlUI::ResetGun(int n) {
    ShowCopyResult(ResetShootGun(folders_, n), text::kResetDone);
    ShowBullet();
    RefreshView(n);
}

void CShootControlUI::Import(const std::filesystem::path& path) {
    if (path.empty()) return;
    ShowCopyResult(ImportShootGun(folders_, gun_, path), text::kImportDone);
    ShowBullet();
    RefreshView(gun_);
}

void CShootControlUI::Export(const std::filesystem::path& path) {
    if (path.empty()) return;
    ShowCopyResult(ExportShootGun(folders_, gun_, path), text::kExportDone);
}

// ---- Display -------------------------------------------------------------------------------

void CShootControlUI::ShowAxisText(int which) {
    if (which == 0) {
        ui::SetText(x_check_, ui::IsSelected(x_check_) ? QString::fromLatin1(text::kLeft)
                                                       : QString::fromLatin1(text::kRight));
    } else {
        ui::SetText(y_check_, ui::IsSelected(y_check_) ? QString::fromLatin1(text::kUp)
                                                       : QString::fromLatin1(text::kDown));
    }
}

void CShootControlUI::ShowEditorState() {
    ui::SetEnabled(editor_, bullet_ >= 0);
}

void CShootControlUI::RefreshView(int gun) {
    if (ShootPatternView* view = View(gun)) {
        view->SetBullets(BulletsOf(ReadShootFile(folders_, gun)));
        view->SetSelectedBullet(gun == gun_ ? bullet_ : -1);
    }
}

void CShootControlUI::RefreshViews() {
    for (int gun = 0; gun < kShootPatternCount; ++gun) RefreshView(gun);
}

void CShootControlUI::ShowState(const QString& text_id) {
    state_text_ = text_id;
    ui::SetText(state_label_, text_id);
}

void CShootControlUI::ShowCopyResult(FileCopyResult result, const char* done_text_id) {
    if (result != FileCopyResult::kDone)
        log::DebugLineF("shooting pattern %d: %s", gun_, FileCopyResultText(result));
    ShowState(QString::fromLatin1(result == FileCopyResult::kDone ? done_text_id
                                                                  : CopyFailureText(result)));
}

// ---- Routing -------------------------------------------------------------------------------

void CShootControlUI::OnGunOption(int n) {
    // The option that lost its selection tells of it too.
    if (!IsShootGun(n) || !ui::IsSelected(gun_options_[static_cast<size_t>(n)])) return;
    SelectGun(n);
    ShowBullet();
}

void CShootControlUI::OnBulletOption(int n) {
    if (n < 0 || n >= kShootBullets || !ui::IsSelected(bullet_options_[static_cast<size_t>(n)]))
        return;
    SelectBullet(n);
}

void CShootControlUI::OnBulletPrev() {
    SelectBullet(bullet_ - 1);
}

void CShootControlUI::OnBulletNext() {
    SelectBullet(bullet_ + 1);
}

void CShootControlUI::OnAxis(int which) {
    ShowAxisText(which);  // saved when an edit next loses the focus
}

void CShootControlUI::OnEdit(int /*which*/) {
    SaveBullet();
}

void CShootControlUI::OnReset() {
    ResetGun(gun_);
}

void CShootControlUI::OnImport() {
    if (!file_dialog_) return;
    Import(ToPath(file_dialog_(window(), false)));
}

void CShootControlUI::OnExport() {
    if (!file_dialog_) return;
    Export(ToPath(file_dialog_(window(), true)));
}

void CShootControlUI::OnSave() {
    if (!upload_) {
        ShowState(QString::fromLatin1(text::kNotSent));
        return;
    }
    QPointer<CShootControlUI> self(this);
    ShowState(QString::fromLatin1(text::kSending));
    upload_([self](bool sent) {
        if (self != nullptr)
            self->ShowState(sent ? QString::fromLatin1(text::kSent)
                                 : QString::fromLatin1(text::kNotSent));
    });
}

bool CShootControlUI::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SaveBullet();
            return true;
        }
        if (key == Qt::Key_Escape) {
            ShowBullet();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<const char*> CShootControlUI::TextIds() {
    return {text::kSourceMissing,
            text::kSourceUnreadable,
            text::kSourceNotPattern,
            text::kTargetKept,
            text::kWriteFailed,
            text::kSaveFailed,
            text::kResetDone,
            text::kImportDone,
            text::kExportDone,
            text::kLeft,
            text::kRight,
            text::kUp,
            text::kDown,
            text::kNotSent,
            text::kSending,
            text::kSent};
}

QString RunShootFileDialog(QWidget* owner, bool save) {
    QFileDialog dialog(owner, QString(), QString(), QString::fromLatin1(kFileFilter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // An exported file without the extension would not show in the import dialog.
    if (save) dialog.setDefaultSuffix(QStringLiteral("shoot"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void RegisterShootControls() {
    ui::ControlFactory& factory = ui::ControlFactory::Instance();
    auto panel = [](QWidget* parent) -> QWidget* { return new CShootControlUI(parent); };
    factory.RegistControl(QString::fromLatin1(CShootControlUI::kClassName), panel);
    factory.RegistControl(QStringLiteral("CShootControlUI"), panel);
    factory.RegistControl(QString::fromLatin1(ShootPatternView::kClassName),
                          [](QWidget* parent) -> QWidget* { return new ShootPatternView(parent); });
}

}  // namespace dz::panels
