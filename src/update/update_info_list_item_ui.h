#pragma once
// CUpdateInfoListItemUI: one row of the settings window's update list, the root of its
// skin "XML\CustomControlXML\device_Update_list_item.xml". The sub-controls: the tick box
// with the item's name "check_name_select", the versions "OldRev" and "updateRev" (hidden
// when empty), "update_status_text", the progress "update_status_ing" and
// "update_progress_value", the OK mark "update_status_ok" and "update_open_folder_btn",
// which opens the folder of a downloaded package.
//
// Row statuses: 0 not checked, 1 and 2 an update offered, 3 waiting for its download,
// 4 downloading, 5 downloaded, 6 being installed (by an installer that reports through the
// settings window), 7 up to date, 8 failed. Each shows its text, progress, OK mark, tick box
// state and name colours.

#include <QColor>
#include <QString>
#include <QWidget>
#include <array>

class QAbstractButton;

namespace dz::update {

class CUpdateInfoListItemUI : public QWidget {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "UpdateInfoListItemUI";
    static constexpr char kSkin[] = "XML\\CustomControlXML\\device_Update_list_item.xml";

    explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

    // Shows a status; setting the current one again does nothing.
    void SetStatus(int status);
    [[nodiscard]] int Status() const { return status_; }
    // The percentage shown while progress is (statuses 4 and 6), as "%d%".
    void SetProgressValue(int percent);
    [[nodiscard]] int ProgressValue() const { return progress_; }

    void SetName(const QString& name);
    [[nodiscard]] QString Name() const;
    void SetOldRev(const QString& text);
    void SetUpdateRev(const QString& text);

    // The tick box: ticked means the row is chosen for updating.
    [[nodiscard]] QAbstractButton* TickBox();
    void SetTicked(bool ticked);
    [[nodiscard]] bool IsTicked();
    void SetTickEnabled(bool enabled);
    [[nodiscard]] bool IsTickEnabled();

    // The download address (the row's user data) and the package's file, once downloaded.
    void SetPath(const QString& path) { path_ = path; }
    [[nodiscard]] const QString& Path() const { return path_; }
    void SetFile(const QString& file) { file_ = file; }
    [[nodiscard]] const QString& File() const { return file_; }

    // The name's colours for a status: normal (and selected), and disabled.
    struct Colours {
        QRgb normal;
        QRgb disabled;
    };
    [[nodiscard]] static Colours ColoursFor(int status);
    [[nodiscard]] static const char* StatusTextId(int status);

    // The row under a control of it, or null.
    [[nodiscard]] static CUpdateInfoListItemUI* RowOf(QWidget* control);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    [[nodiscard]] QWidget* Sub(const char* name);
    void ShowStatus();
    // The name as its column has room for it (the whole name in the tooltip).
    void ShowName();

    int status_ = 0;
    bool shown_ = false;  // the first SetStatus shows its status even when it is 0
    int progress_ = 0;
    bool hovered_ = false;
    QString name_;
    QString path_;
    QString file_;
};

// Registers the row's class names with the control factory.
void RegisterUpdateControls();

}  // namespace dz::update
