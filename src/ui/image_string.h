#pragma once
// Image strings of the skins: a plain file name, or attributes such as
// "file='key.png' source='0,0,40,40' fade='200'" ("res" is a synonym of "file").
// Files are relative to the skin folder.

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace dz::ui {

struct ImageSpec {
    QString file;
    QRect source;  // null: the whole image; else left, top, right, bottom as given
    int fade = 255;
};

[[nodiscard]] ImageSpec ParseImageString(const QString& image);
// The picture of a file under the skin folder (cached); null when it cannot be read.
[[nodiscard]] QPixmap SkinPixmap(const QString& file);
// Draws the image string scaled into dest; nothing when its file cannot be read.
void DrawImageString(QPainter& painter, const QRect& dest, const QString& image);

}  // namespace dz::ui
