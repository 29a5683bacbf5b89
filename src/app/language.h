#pragma once
// Applying a language: the font set of its face (resolved through fontconfig, the closest
// installed face when the named one is missing), its language file into the text table and
// every resource text shown again, and the choice stored for the next start. The main
// window owns one; it tells its windows and device pages afterwards.

#include <QString>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "app/language_table.h"

namespace dz::app {

// The installed family fontconfig matches for a face, preferring faces that cover `fc_lang`
// ("zh-cn", "en"); the face itself when fontconfig gives nothing.
[[nodiscard]] QString ResolveFontFamily(const QString& face, const QString& fc_lang);

class LanguageSwitch {
  public:
    explicit LanguageSwitch(std::filesystem::path table_file = LanguageTableFile());

    // The language to apply at start (stored, or the desktop locale's on the first start).
    [[nodiscard]] int StartIndex() const;
    // Applies language `index`; false, doing nothing at all, when it is the current one.
    bool Apply(int index);
    [[nodiscard]] int CurrentIndex() const { return current_; }

    // The settings window's combo: one item per language (its text identifier), the current
    // one selected, without notifications.
    void FillCombo(QWidget* combo) const;

    // What the last font rebuild used, and how many there were.
    [[nodiscard]] int FontRebuilds() const { return font_rebuilds_; }
    [[nodiscard]] const QString& FontFace() const { return font_face_; }
    [[nodiscard]] const QString& FontFamily() const { return font_family_; }

  private:
    void RebuildFonts(const QString& face, const QString& fc_lang);

    std::filesystem::path table_file_;
    int current_ = -1;
    int font_rebuilds_ = 0;
    QString font_face_;
    QString font_family_;
};

}  // namespace dz::app
