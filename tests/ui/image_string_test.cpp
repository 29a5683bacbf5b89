// Image strings of the skins and drawing a window of a picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "ui/image_string.h"

namespace dz::ui {
namespace {

TEST(ImageString, Parses) {
    const ImageRef plain = ParseImageString(QStringLiteral(" images/key_set.png "));
    EXPECT_EQ(plain.file, QStringLiteral("images/key_set.png"));
    EXPECT_TRUE(plain.source.isNull());
    EXPECT_EQ(plain.fade, 255);

    const ImageRef windowed =
        ParseImageString(QStringLiteral("file='images/hand_picture.png' source='20,10,120,90'"));
    EXPECT_EQ(windowed.file, QStringLiteral("images/hand_picture.png"));
    EXPECT_EQ(windowed.source, QRect(20, 10, 100, 80));  // right and bottom are exclusive

    const ImageRef faded = ParseImageString(QStringLiteral("res='images/redio.png' fade='80'"));
    EXPECT_EQ(faded.file, QStringLiteral("images/redio.png"));
    EXPECT_EQ(faded.fade, 80);
    EXPECT_EQ(ParseImageString(QStringLiteral("res='a.png' fade='999'")).fade, 255);
    EXPECT_EQ(ParseImageString(QStringLiteral("res='a.png' source='1,2,3'")).source, QRect());
}

TEST(ImageString, DrawsTheSourceWindowWithItsFade) {
    QImage canvas(10, 10, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    {
        QPainter p(&canvas);
        // Rows 0..99 of the 300 x 200 grey ramp: the top is black.
        DrawImageString(p, canvas.rect(),
                        QStringLiteral("file='images/hand_picture.png' source='0,0,10,10'"));
    }
    EXPECT_LT(qGray(canvas.pixel(5, 5)), 10);
    canvas.fill(Qt::white);
    {
        QPainter p(&canvas);
        DrawImageString(p, canvas.rect(), QStringLiteral("res='images/key_set.png' fade='0'"));
        DrawImageString(p, canvas.rect(), QStringLiteral("res='no/such.png'"));
    }
    EXPECT_EQ(canvas.pixel(5, 5), 0xFFFFFFFFu);  // fully faded, and a missing file draws nothing
}

}  // namespace
}  // namespace dz::ui
