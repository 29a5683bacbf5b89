// Button icons from skin images at the size a scaled window asks for.
#include <gtest/gtest.h>

#include <QImageReader>

#include "ui/skin_icon.h"

namespace dz::ui {
namespace {

TEST(SkinIcon, APictureFillsTheSizeAskedEvenAboveItsOwn) {
    const QIcon icon = SkinIcon(QStringLiteral("images/key_light.png"));  // 40 x 40, red
    ASSERT_FALSE(icon.isNull());
    for (int side : {20, 40, 60, 80}) {
        const QPixmap pm = icon.pixmap(QSize(side, side));
        EXPECT_EQ(pm.size(), QSize(side, side)) << side;
        EXPECT_EQ(pm.toImage().pixel(side / 2, side / 2) | 0xFF000000u, 0xFFFF3030u) << side;
    }
    // A size of another shape keeps the picture's proportions.
    EXPECT_EQ(icon.pixmap(QSize(90, 60)).size(), QSize(60, 60));
    EXPECT_EQ(icon.actualSize(QSize(90, 60)), QSize(60, 60));
}

TEST(SkinIcon, AScalableFileIsDrawnAtTheSizeAsked) {
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("svg"))
        << "the icons of the skins need Qt's SVG image plugin (libqt6svg6)";
    const QIcon icon = SkinIcon(QStringLiteral("caption/min.svg"));  // a bar at y 12.5 of 24
    ASSERT_FALSE(icon.isNull());
    const QImage big = icon.pixmap(QSize(96, 96)).toImage();
    ASSERT_EQ(big.size(), QSize(96, 96));
    // Drawn at 96 the bar is about 7 pixels thick with a solid core, as a vector would be; an
    // enlarged 24-pixel picture would have a blurred one.
    int solid = 0;
    for (int y = 40; y < 60; ++y)
        if (qAlpha(big.pixel(48, y)) == 255 && QColor(big.pixel(48, y)) == QColor(0xd8, 0xda, 0xdf))
            ++solid;
    EXPECT_GE(solid, 5);
    EXPECT_EQ(qAlpha(big.pixel(48, 20)), 0);
}

TEST(SkinIcon, StatesFallBackAndMissingFilesGiveNoIcon) {
    const QIcon both = SkinIcon(SkinIconFiles{
        QStringLiteral("images/key_light.png"), QStringLiteral("images/key_set.png"), {}});
    const QSize s(40, 40);
    auto centre = [&](QIcon::Mode mode, QIcon::State state) {
        return both.pixmap(s, mode, state).toImage().pixel(20, 20) | 0xFF000000u;
    };
    EXPECT_EQ(centre(QIcon::Normal, QIcon::Off), 0xFFFF3030u);  // normal
    EXPECT_EQ(centre(QIcon::Normal, QIcon::On), 0xFF3060FFu);   // selected
    EXPECT_EQ(centre(QIcon::Active, QIcon::On), 0xFF3060FFu);
    // No disabled image: one is made from the normal picture, greyed.
    const QColor greyed(centre(QIcon::Disabled, QIcon::Off));
    EXPECT_NE(greyed.rgb(), 0xFFFF3030u);
    EXPECT_LT(std::abs(greyed.red() - greyed.green()), 40);

    const QIcon only_selected =
        SkinIcon(SkinIconFiles{{}, QStringLiteral("images/key_set.png"), {}});
    EXPECT_EQ(only_selected.pixmap(s).toImage().pixel(20, 20) | 0xFF000000u, 0xFF3060FFu);
    EXPECT_TRUE(SkinIcon(QStringLiteral("images/no_such.png")).isNull());
    EXPECT_TRUE(SkinIcon(SkinIconFiles{}).isNull());
}

}  // namespace
}  // namespace dz::ui
