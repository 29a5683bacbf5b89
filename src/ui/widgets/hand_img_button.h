#pragma once
// "HandImgButton": a picture that fills the button. While the mouse is over it and it is
// not read-only, a delete box (20 x 20, its top 29 and its left 30 pixels from the bottom
// and right edges, scaled by the window's DPI) shows the hot delete image under the mouse
// and the normal one elsewhere. Released inside the box: "click_handdelete"; elsewhere: a
// normal click.

#include <QPushButton>

namespace dz::ui {

class HandImgButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    Q_PROPERTY(QString deletenormalimage READ DeleteNormalImage WRITE SetDeleteNormalImage)
    Q_PROPERTY(QString deletehotimage READ DeleteHotImage WRITE SetDeleteHotImage)
    Q_PROPERTY(bool readonly READ IsReadOnly WRITE SetReadOnly)

  public:
    explicit HandImgButton(QWidget* parent = nullptr);

    [[nodiscard]] QString HandImage() const { return handImage_; }
    void SetHandImage(const QString& image);
    [[nodiscard]] QString DeleteNormalImage() const { return deleteNormal_; }
    void SetDeleteNormalImage(const QString& image);
    [[nodiscard]] QString DeleteHotImage() const { return deleteHot_; }
    void SetDeleteHotImage(const QString& image);
    [[nodiscard]] bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // The delete box in the button's coordinates.
    [[nodiscard]] QRect DeleteBox() const;
    [[nodiscard]] bool IsHovered() const { return hovered_; }
    // The delete image drawn now (normal or hot), empty while the box is not shown.
    [[nodiscard]] QString CurrentDeleteImage() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    [[nodiscard]] int Dpi() const;
    [[nodiscard]] bool BoxShown() const { return hovered_ && !readOnly_; }

    QString handImage_;
    QString deleteNormal_;
    QString deleteHot_;
    QString currentDelete_;
    bool readOnly_ = true;
    bool hovered_ = false;
};

}  // namespace dz::ui
