#include "ui/theme.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>

#include "ui/dpi.h"
#include "ui/resource_map.h"
#include "ui/skin_scale.h"

namespace dz::ui {
namespace {

QString& Stored() {
    static QString sheet;
    return sheet;
}

// url(...) of an image named relative to the skin folder becomes its path there: the
// style sheet would look for it in the process's current folder otherwise.
QString WithSkinPaths(const QString& sheet) {
    static const QRegularExpression url(
        QString::fromLatin1(R"re(url\(\s*(["']?)([^)"']+)\1\s*\))re"));
    QString out;
    qsizetype from = 0;
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString file = m.captured(2);
        if (QDir::isAbsolutePath(file) || file.startsWith(QLatin1Char(':'))) continue;
        out += QStringView(sheet).mid(from, m.capturedStart() - from);
        out += QStringLiteral("url(\"%1\")").arg(ResourceMap::Instance().FilePath(file));
        from = m.capturedEnd();
    }
    out += QStringView(sheet).mid(from);
    return out;
}

}  // namespace

void SetTheme(const QString& sheet) {
    Stored() = WithSkinPaths(sheet);
    if (qApp != nullptr) qApp->setStyleSheet(Stored());
}

const QString& Theme() {
    return Stored();
}

QString WindowThemeFor(int dpi) {
    return ScaleStyleSheet(Stored(), dpi);
}

}  // namespace dz::ui
