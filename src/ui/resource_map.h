#pragma once
// The skin folder and its resource map "res.xml": system skin names ("XML_MAIN",
// "XML\DeviceXml\mousedevice.xml", "menu.xml") to files under the skin folder.

#include <QHash>
#include <QString>

namespace dz::ui {

class ResourceMap {
  public:
    static ResourceMap& Instance();

    // Sets the skin folder and reads its "res.xml". False (with one log line) when the map
    // is missing or unreadable: names then resolve only to files that exist under the folder.
    [[nodiscard]] bool Load(const QString& skinDir);
    // Reads a map from any file; names resolve against skinDir.
    [[nodiscard]] bool LoadFile(const QString& mapFile, const QString& skinDir);
    void Clear();

    [[nodiscard]] QString SkinDir() const { return dir_; }
    // Absolute path of the file a name stands for, or empty. Backslashes and case in the
    // name do not matter; a name that is not mapped but is the relative path of an existing
    // file under the skin folder resolves to that file.
    [[nodiscard]] QString Resolve(const QString& name) const;
    // A path for an image or other file named relative to the skin folder (absolute paths
    // are kept); empty for an empty name.
    [[nodiscard]] QString FilePath(const QString& relative) const;

    [[nodiscard]] static QString NormaliseName(const QString& name);

  private:
    QString dir_;
    QHash<QString, QString> map_;
};

}  // namespace dz::ui
