#include "ui/image_string.h"

#include <QPixmapCache>
#include <QRegularExpression>
#include <algorithm>

#include "ui/resource_map.h"

namespace dz::ui {

ImageSpec ParseImageString(const QString& image) {
    ImageSpec spec;
    const QString s = image.trimmed();
    if (!s.contains(QLatin1Char('='))) {
        spec.file = s;
        return spec;
    }
    static const QRegularExpression attr(QStringLiteral(R"((\w+)\s*=\s*'([^']*)')"));
    for (auto it = attr.globalMatch(s); it.hasNext();) {
        const auto m = it.next();
        const QString key = m.captured(1).toLower();
        const QString value = m.captured(2);
        if (key == QLatin1String("file") || key == QLatin1String("res")) {
            spec.file = value;
        } else if (key == QLatin1String("source")) {
            const auto parts = value.split(QLatin1Char(','));
            if (parts.size() == 4) {
                const int l = parts[0].trimmed().toInt(), t = parts[1].trimmed().toInt();
                const int r = parts[2].trimmed().toInt(), b = parts[3].trimmed().toInt();
                spec.source = QRect(QPoint(l, t), QPoint(r - 1, b - 1));
            }
        } else if (key == QLatin1String("fade")) {
            spec.fade = std::clamp(value.toInt(), 0, 255);
        }
    }
    return spec;
}

QPixmap SkinPixmap(const QString& file) {
    if (file.isEmpty()) return {};
    const QString path = ResourceMap::Instance().FilePath(file);
    QPixmap pm;
    if (!QPixmapCache::find(path, &pm)) {
        if (pm.load(path)) QPixmapCache::insert(path, pm);
    }
    return pm;
}

void DrawImageString(QPainter& painter, const QRect& dest, const QString& image) {
    const ImageSpec spec = ParseImageString(image);
    const QPixmap pm = SkinPixmap(spec.file);
    if (pm.isNull() || dest.isEmpty()) return;
    const QRect source = spec.source.isNull() ? pm.rect() : spec.source.intersected(pm.rect());
    painter.save();
    painter.setOpacity(painter.opacity() * spec.fade / 255.0);
    painter.drawPixmap(dest, pm, source);
    painter.restore();
}

}  // namespace dz::ui
