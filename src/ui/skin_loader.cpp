#include "ui/skin_loader.h"

#include <QFile>
#include <QUiLoader>

#include "platform/log/debug_log.h"
#include "ui/control_factory.h"
#include "ui/resource_map.h"
#include "ui/skin_scale.h"
#include "ui/skin_setup.h"

namespace dz::ui {
namespace {

class FactoryLoader : public QUiLoader {
  public:
    explicit FactoryLoader(const CreateCallback& callback) : callback_(callback) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* w = callback_ ? callback_(className, parent) : nullptr;
        if (w == nullptr) w = ControlFactory::Instance().CreateControl(className, parent);
        if (w == nullptr) return QUiLoader::createWidget(className, parent, name);
        if (w->parentWidget() != parent) w->setParent(parent);
        w->setObjectName(name);
        return w;
    }

  private:
    const CreateCallback& callback_;
};

}  // namespace

namespace {

// `what` names the skin in the log line: the system name and, when known, its file.
QWidget* Build(const QString& path, const QString& what, QWidget* parent,
               const CreateCallback& callback) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        log::DebugLineF("skin %s not readable: built empty", qUtf8Printable(what));
        return nullptr;
    }
    FactoryLoader loader(callback);
    QWidget* root = loader.load(&file, parent);
    if (root == nullptr) {
        log::DebugLineF("skin %s did not load (%s): built empty", qUtf8Printable(what),
                        qUtf8Printable(loader.errorString()));
        return nullptr;
    }
    // The form's top widget always becomes an embedded child, whatever its class.
    if (parent != nullptr && root->isWindow()) root->setWindowFlags(Qt::Widget);
    ApplySkinAttributes(root);
    RecordSkinMeasures(root);
    return root;
}

}  // namespace

QWidget* BuildSkinFile(const QString& path, QWidget* parent, const CreateCallback& callback) {
    return Build(path, path, parent, callback);
}

QWidget* BuildSkin(const QString& skinName, QWidget* parent, const CreateCallback& callback) {
    const QString path = ResourceMap::Instance().Resolve(skinName);
    if (path.isEmpty()) {
        log::DebugLineF("skin '%s' is not in the resource map and no such file exists: built empty",
                        qUtf8Printable(skinName));
        return nullptr;
    }
    return Build(path, QStringLiteral("'%1' (%2)").arg(skinName, path), parent, callback);
}

}  // namespace dz::ui
