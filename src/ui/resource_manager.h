#pragma once
// Language texts by identifier. A language file is UTF-8 text with one "identifier = text"
// per line ('#' starts a comment line; "\n", "\t" and "\\" are escapes in the text).
// A control in resource-text mode keeps an identifier and shows its language text; so does
// its tooltip, when the skin gives one.

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

namespace dz::ui {

class ResourceManager {
  public:
    // Item data role holding the identifier of a combo or list item in resource-text mode.
    static constexpr int kItemTextIdRole = Qt::UserRole + 0x7A7;

    static ResourceManager& Instance();

    // The folder language files are looked up in (relative names).
    void SetLanguageDir(const QString& dir) { langDir_ = dir; }
    [[nodiscard]] QString LanguageDir() const { return langDir_; }

    // Replaces the text table with the file's. A name that does not exist is also tried with
    // the extension ".lang". On failure (one log line) the current texts stay; so they do
    // when the file holds no text at all.
    [[nodiscard]] bool LoadLanguage(const QString& file);
    // Parses language text into a table; lines without '=' are skipped.
    [[nodiscard]] static QHash<QString, QString> ParseLanguage(const QString& content);

    void SetLanguage(const QString& name) { language_ = name; }
    [[nodiscard]] QString Language() const { return language_; }

    // Answers a text before the table does; nullopt passes the identifier on.
    using TextQuery =
        std::function<std::optional<QString>(const QString& id, const QString& controlName)>;
    void SetTextQueryInterface(TextQuery query) { query_ = std::move(query); }

    // The text of an identifier, or the identifier itself when no text is known.
    [[nodiscard]] QString Text(const QString& id, const QString& controlName = {}) const;
    [[nodiscard]] std::optional<QString> FindText(const QString& id) const;

    // Puts every control under root whose "resourcetext" property (on itself or inherited
    // from an ancestor) is true into resource-text mode: its skin text becomes its identifier.
    void BindResourceText(QWidget* root) const;
    // Turns resource-text mode on or off for one control; on keeps its current text (and
    // tooltip) as identifiers.
    void SetResourceText(QWidget* w, bool on) const;
    // A tooltip set from code is shown as given, also after the next ReloadText.
    static void ForgetToolTipId(QWidget* w);
    [[nodiscard]] static bool IsResourceText(const QWidget* w);
    // Sets a control's text: in resource-text mode `text` is an identifier.
    void SetControlText(QWidget* w, const QString& text) const;
    // Shows the current language's texts on every resource-text control (and resource-text
    // combo and list item) of every window.
    void ReloadText() const;

    void Clear();

  private:
    void Apply(QWidget* w) const;

    QString langDir_;
    QString language_;
    QHash<QString, QString> texts_;
    TextQuery query_;
};

}  // namespace dz::ui
