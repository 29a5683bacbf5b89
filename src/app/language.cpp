#include "app/language.h"

#include <fontconfig/fontconfig.h>

#include <QApplication>
#include <QFont>
#include <QLocale>

#include "platform/log/debug_log.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::app {

QString ResolveFontFamily(const QString& face, const QString& fc_lang) {
    if (FcInit() == FcFalse) return face;
    FcPattern* pattern = FcPatternCreate();
    const QByteArray family = face.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    FcLangSet* langs = nullptr;
    if (!fc_lang.isEmpty()) {
        langs = FcLangSetCreate();
        const QByteArray lang = fc_lang.toUtf8();
        FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>(lang.constData()));
        FcPatternAddLangSet(pattern, FC_LANG, langs);
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    QString resolved = face;
    FcChar8* matched = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch)
        resolved = QString::fromUtf8(reinterpret_cast<const char*>(matched));
    if (match != nullptr) FcPatternDestroy(match);
    if (langs != nullptr) FcLangSetDestroy(langs);
    FcPatternDestroy(pattern);
    return resolved;
}

LanguageSwitch::LanguageSwitch(std::filesystem::path table_file)
    : table_file_(std::move(table_file)) {}

int LanguageSwitch::StartIndex() const {
    return StartLanguageIndex(ReadLanguageTable(table_file_), StoredLanguageId(),
                              QLocale::system().name().toStdString());
}

bool LanguageSwitch::Apply(int index) {
    if (index == current_) return false;
    const std::vector<LanguageEntry> table = ReadLanguageTable(table_file_);
    const LanguageEntry entry =
        index >= 0 && index < static_cast<int>(table.size()) ? table[static_cast<size_t>(index)]
                                                              : LanguageEntry{};
    if (const auto face = FontRebuildFace(current_, index))
        RebuildFonts(QString::fromUtf8(face->data(), static_cast<qsizetype>(face->size())),
                     QString::fromStdString(FontconfigLanguage(entry.name)));
    current_ = index;
    ui::ResourceManager& rm = ui::ResourceManager::Instance();
    rm.SetLanguage(QString::fromStdString(entry.name));
    if (!entry.file.empty() && !rm.LoadLanguage(QString::fromStdString(entry.file)))
        log::DebugLineF("language %d: its file is not there, the texts stay", index);
    rm.ReloadText();
    // An entry the table lacks stores nothing: the stored language stays one of the table's.
    if (index >= 0 && index < static_cast<int>(table.size()) && StoreLanguageId(entry.id))
        log::DebugLine("写成功！");
    return true;
}

void LanguageSwitch::FillCombo(QWidget* combo) const {
    if (combo == nullptr) return;
    ui::RemoveAll(combo);
    for (const LanguageEntry& e : ReadLanguageTable(table_file_))
        ui::AddItem(combo, QString::fromStdString(e.text_id), true);
    ui::SelectItem(combo, current_, false);
}

void LanguageSwitch::RebuildFonts(const QString& face, const QString& fc_lang) {
    font_face_ = face;
    font_family_ = ResolveFontFamily(face, fc_lang);
    // The family only: sizes are the skins' and the theme's (the default font's 14 pixels
    // among them), and scaled with each window's DPI value.
    QFont font = QApplication::font();
    font.setFamily(font_family_);
    font.setItalic(false);
    QApplication::setFont(font);
    ++font_rebuilds_;
    log::DebugLineF("fonts: %s as %s", qUtf8Printable(face), qUtf8Printable(font_family_));
}

}  // namespace dz::app
