#include "ui/control_factory.h"

namespace dz::ui {

ControlFactory& ControlFactory::Instance() {
    static ControlFactory factory;
    return factory;
}

void ControlFactory::RegistControl(const QString& className, ControlCreator creator) {
    if (className.isEmpty() || !creator) return;
    creators_.insert(className.toLower(), std::move(creator));
}

QWidget* ControlFactory::CreateControl(const QString& className, QWidget* parent) const {
    const auto it = creators_.constFind(className.toLower());
    return it == creators_.constEnd() ? nullptr : (*it)(parent);
}

bool ControlFactory::IsRegistered(const QString& className) const {
    return creators_.contains(className.toLower());
}

}  // namespace dz::ui
