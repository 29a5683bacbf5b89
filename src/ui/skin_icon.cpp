#include "ui/skin_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

#include "ui/image_string.h"
#include "ui/resource_map.h"

namespace dz::ui {
namespace {

// The picture of a file at a size (aspect kept), cached per file and size.
QPixmap Rendered(const QString& file, QSize size) {
    const QString path = ResourceMap::Instance().FilePath(file);
    const QString key =
        QStringLiteral("dz_icon:%1@%2x%3").arg(path).arg(size.width()).arg(size.height());
    QPixmap pm;
    if (QPixmapCache::find(key, &pm)) return pm;
    QImageReader reader(path);
    if (reader.supportsOption(QImageIOHandler::ScaledSize)) {
        // Drawn by the format itself at the size: vector files stay sharp.
        const QSize natural = reader.size();
        reader.setScaledSize(natural.isValid() ? natural.scaled(size, Qt::KeepAspectRatio) : size);
        pm = QPixmap::fromImage(reader.read());
    } else {
        const QPixmap source = SkinPixmap(file);
        if (!source.isNull())
            pm = source.size() == size
                     ? source
                     : source.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (!pm.isNull()) QPixmapCache::insert(key, pm);
    return pm;
}

class SkinIconEngine : public QIconEngine {
  public:
    explicit SkinIconEngine(SkinIconFiles files) : files_(std::move(files)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const QPixmap pm = pixmap(rect.size(), mode, state);
        if (pm.isNull()) return;
        QRect target(QPoint(0, 0), pm.size());
        target.moveCenter(rect.center());
        painter->drawPixmap(target, pm);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (size.isEmpty()) return {};
        const bool disabled = mode == QIcon::Disabled;
        if (disabled && !files_.disabled.isEmpty()) {
            QPixmap pm = Rendered(files_.disabled, size);
            if (!pm.isNull()) return pm;
        }
        const QString& file = FileFor(state);
        if (file.isEmpty()) return {};
        QPixmap pm = Rendered(file, size);
        if (disabled && !pm.isNull()) {
            QStyleOption opt;
            opt.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(QIcon::Disabled, pm, &opt);
        }
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
        const QString& file = FileFor(state);
        if (file.isEmpty()) return {};
        const QSize natural = QImageReader(ResourceMap::Instance().FilePath(file)).size();
        return natural.isValid() ? natural.scaled(size, Qt::KeepAspectRatio) : size;
    }

    [[nodiscard]] QIconEngine* clone() const override { return new SkinIconEngine(files_); }
    [[nodiscard]] QString key() const override { return QStringLiteral("dz_skin_icon"); }

  private:
    const QString& FileFor(QIcon::State state) const {
        if (state == QIcon::On && !files_.selected.isEmpty()) return files_.selected;
        return files_.normal.isEmpty() ? files_.selected : files_.normal;
    }

    SkinIconFiles files_;
};

QString Readable(const QString& file) {
    return file.isEmpty() || SkinPixmap(file).isNull() ? QString() : file;
}

}  // namespace

QIcon SkinIcon(const SkinIconFiles& files) {
    const SkinIconFiles readable{Readable(files.normal), Readable(files.selected),
                                 Readable(files.disabled)};
    if (readable.normal.isEmpty() && readable.selected.isEmpty() && readable.disabled.isEmpty())
        return {};
    return QIcon(new SkinIconEngine(readable));
}

QIcon SkinIcon(const QString& file) {
    return SkinIcon(SkinIconFiles{file, {}, {}});
}

}  // namespace dz::ui
