#pragma once
// Custom control classes by name, so that skins can instantiate them.

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

namespace dz::ui {

using ControlCreator = std::function<QWidget*(QWidget* parent)>;

class ControlFactory {
  public:
    static ControlFactory& Instance();

    // Class names compare case-insensitively; registering a name again replaces it.
    void RegistControl(const QString& className, ControlCreator creator);
    // A new control of that class under parent, or null when the name is unknown.
    [[nodiscard]] QWidget* CreateControl(const QString& className, QWidget* parent) const;
    [[nodiscard]] bool IsRegistered(const QString& className) const;

  private:
    QHash<QString, ControlCreator> creators_;
};

}  // namespace dz::ui
