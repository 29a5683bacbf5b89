#include "ui/resource_manager.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVariant>

#include "platform/log/debug_log.h"
#include "ui/widget_text.h"

namespace dz::ui {
namespace {

constexpr char kTextIdProperty[] = "dz_textid";
constexpr char kTipIdProperty[] = "dz_tipid";
constexpr char kResourceTextProperty[] = "resourcetext";

QString Unescape(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c != QLatin1Char('\\') || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const QChar n = s[++i];
        if (n == QLatin1Char('n')) {
            out += QLatin1Char('\n');
        } else if (n == QLatin1Char('t')) {
            out += QLatin1Char('\t');
        } else if (n == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
        } else {
            out += c;
            out += n;
        }
    }
    return out;
}

// The nearest "resourcetext" property on the control or its ancestors decides.
bool InheritsResourceText(const QWidget* w) {
    for (const QWidget* p = w; p != nullptr; p = p->parentWidget()) {
        const QVariant v = p->property(kResourceTextProperty);
        if (v.isValid()) return v.toBool();
    }
    return false;
}

}  // namespace

ResourceManager& ResourceManager::Instance() {
    static ResourceManager manager;
    return manager;
}

QHash<QString, QString> ResourceManager::ParseLanguage(const QString& content) {
    QHash<QString, QString> table;
    const auto lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) continue;
        // The first "=" separates, unless " = " follows it at once: then the identifier
        // ends in "=" (the name of the key "=": "keyboard_key_= = =").
        auto eq = trimmed.indexOf(QLatin1Char('='));
        if (eq > 0 && trimmed.mid(eq + 1).startsWith(QLatin1String(" = "))) eq += 2;
        if (eq <= 0) continue;
        const QString id = trimmed.left(eq).trimmed();
        if (id.isEmpty()) continue;
        table.insert(id, Unescape(trimmed.mid(eq + 1).trimmed()));
    }
    return table;
}

bool ResourceManager::LoadLanguage(const QString& file) {
    QString path = QFileInfo(file).isAbsolute() ? file : QDir(langDir_).filePath(file);
    if (!QFileInfo(path).isFile()) {
        const QFileInfo info(path);
        const QString alt = info.dir().filePath(info.completeBaseName() + QStringLiteral(".lang"));
        if (QFileInfo(alt).isFile()) path = alt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        log::DebugLineF("language file %s not readable: texts unchanged", qUtf8Printable(path));
        return false;
    }
    QHash<QString, QString> texts = ParseLanguage(QString::fromUtf8(f.readAll()));
    if (texts.isEmpty()) {
        // An empty or foreign file would leave every control showing its identifier.
        log::DebugLineF("language file %s holds no texts: texts unchanged", qUtf8Printable(path));
        return false;
    }
    texts_ = std::move(texts);
    return true;
}

std::optional<QString> ResourceManager::FindText(const QString& id) const {
    const auto it = texts_.constFind(id);
    if (it == texts_.constEnd()) return std::nullopt;
    return *it;
}

QString ResourceManager::Text(const QString& id, const QString& controlName) const {
    if (query_) {
        if (auto answer = query_(id, controlName)) return *answer;
    }
    return FindText(id).value_or(id);
}

bool ResourceManager::IsResourceText(const QWidget* w) {
    return w != nullptr && w->property(kTextIdProperty).isValid();
}

void ResourceManager::Apply(QWidget* w) const {
    SetShownText(w, Text(w->property(kTextIdProperty).toString(), w->objectName()));
    const QVariant tip = w->property(kTipIdProperty);
    if (tip.isValid()) w->setToolTip(Text(tip.toString(), w->objectName()));
}

void ResourceManager::ForgetToolTipId(QWidget* w) {
    if (w != nullptr) w->setProperty(kTipIdProperty, QVariant());
}

void ResourceManager::SetResourceText(QWidget* w, bool on) const {
    if (w == nullptr) return;
    if (!on) {
        if (IsResourceText(w)) {
            const QString id = w->property(kTextIdProperty).toString();
            w->setProperty(kTextIdProperty, QVariant());
            SetShownText(w, id);
        }
        const QVariant tip = w->property(kTipIdProperty);
        if (tip.isValid()) {
            w->setProperty(kTipIdProperty, QVariant());
            w->setToolTip(tip.toString());
        }
        w->setProperty(kResourceTextProperty, false);
        return;
    }
    if (!IsResourceText(w)) w->setProperty(kTextIdProperty, ShownText(w));
    if (!w->property(kTipIdProperty).isValid() && !w->toolTip().isEmpty())
        w->setProperty(kTipIdProperty, w->toolTip());
    Apply(w);
}

void ResourceManager::BindResourceText(QWidget* root) const {
    if (root == nullptr) return;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        if (!IsResourceText(w) && InheritsResourceText(w)) {
            SetResourceText(w, true);
        }
    }
}

void ResourceManager::SetControlText(QWidget* w, const QString& text) const {
    if (w == nullptr) return;
    if (IsResourceText(w)) {
        w->setProperty(kTextIdProperty, text);
        Apply(w);
    } else {
        SetShownText(w, text);
    }
}

void ResourceManager::ReloadText() const {
    for (QWidget* w : QApplication::allWidgets()) {
        if (IsResourceText(w)) Apply(w);
        if (auto* c = qobject_cast<QComboBox*>(w)) {
            const QSignalBlocker block(c);
            for (int i = 0; i < c->count(); ++i) {
                const QVariant id = c->itemData(i, kItemTextIdRole);
                if (id.isValid()) c->setItemText(i, Text(id.toString(), c->objectName()));
            }
        } else if (auto* l = qobject_cast<QListWidget*>(w)) {
            for (int i = 0; i < l->count(); ++i) {
                const QVariant id = l->item(i)->data(kItemTextIdRole);
                if (id.isValid()) l->item(i)->setText(Text(id.toString(), l->objectName()));
            }
        }
    }
}

void ResourceManager::Clear() {
    texts_.clear();
    language_.clear();
    query_ = {};
}

}  // namespace dz::ui
