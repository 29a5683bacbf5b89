#pragma once
// "HandImgSelectButton": a picture larger than the button shows a button-sized window of
// itself ("file='%s' source='%d,%d,%d,%d'"); dragging with the button held moves that
// window against the mouse, never beyond the picture. "cursor" names a system cursor.

#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QSize>

namespace dz::ui {

class HandImgSelectButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ HandImage WRITE SetHandImage)
    // Shadows QWidget::cursor so that skins can name the cursor ("hand", "sizeall", ...).
    Q_PROPERTY(QString cursor READ CursorName WRITE SetCursorName)

  public:
    explicit HandImgSelectButton(QWidget* parent = nullptr);

    [[nodiscard]] QString HandImage() const { return handImage_; }
    // Loads the picture and records its size; the window starts at the top left.
    void SetHandImage(const QString& image);
    [[nodiscard]] QString CursorName() const { return cursorName_; }
    void SetCursorName(const QString& name);

    [[nodiscard]] QSize PictureSize() const { return pictureSize_; }
    // The shown window in picture coordinates.
    [[nodiscard]] QRect SourceRect() const { return source_; }
    [[nodiscard]] QString ImageString() const;
    [[nodiscard]] bool IsDragging() const { return dragging_; }

    // The cursor shape for a skin cursor name; arrow for unknown names.
    [[nodiscard]] static Qt::CursorShape CursorShapeOf(const QString& name);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void PlaceWindow(QPoint topLeft);

    QString handImage_;
    QString cursorName_;
    QSize pictureSize_;
    QRect source_;
    bool dragging_ = false;
    QPoint lastPoint_;
};

}  // namespace dz::ui
