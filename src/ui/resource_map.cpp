#include "ui/resource_map.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/log/debug_log.h"

namespace dz::ui {

ResourceMap& ResourceMap::Instance() {
    static ResourceMap map;
    return map;
}

QString ResourceMap::NormaliseName(const QString& name) {
    QString n = name.trimmed();
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (n.startsWith(QLatin1String("./"))) n.remove(0, 2);
    return n.toLower();
}

bool ResourceMap::Load(const QString& skinDir) {
    return LoadFile(QDir(skinDir).filePath(QStringLiteral("res.xml")), skinDir);
}

bool ResourceMap::LoadFile(const QString& mapFile, const QString& skinDir) {
    dir_ = QDir(skinDir).absolutePath();
    map_.clear();
    QFile file(mapFile);
    if (!file.open(QIODevice::ReadOnly)) {
        log::DebugLineF("resource map %s not readable: windows build empty",
                        qUtf8Printable(mapFile));
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto attrs = xml.attributes();
        const QString name = attrs.value(QLatin1String("name")).toString();
        const QString target = attrs.value(QLatin1String("file")).toString();
        if (!name.isEmpty() && !target.isEmpty()) map_.insert(NormaliseName(name), target);
    }
    if (xml.hasError()) {
        log::DebugLineF("resource map %s: %s at line %lld", qUtf8Printable(mapFile),
                        qUtf8Printable(xml.errorString()),
                        static_cast<long long>(xml.lineNumber()));
        map_.clear();
        return false;
    }
    return true;
}

void ResourceMap::Clear() {
    dir_.clear();
    map_.clear();
}

QString ResourceMap::FilePath(const QString& relative) const {
    if (relative.isEmpty()) return {};
    QString r = relative;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(r).isAbsolute() || dir_.isEmpty()) return r;
    return QDir(dir_).filePath(r);
}

QString ResourceMap::Resolve(const QString& name) const {
    if (name.trimmed().isEmpty()) return {};
    const auto it = map_.constFind(NormaliseName(name));
    if (it != map_.constEnd()) return FilePath(*it);
    const QString direct = FilePath(name.trimmed());
    if (!direct.isEmpty() && QFileInfo(direct).isFile()) return direct;
    return {};
}

}  // namespace dz::ui
