// The shipped skins, menus and language files carry every name the code relies on.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include "app/routing.h"
#include "update/set_wnd.h"
#include "update/update_info_list_item_ui.h"

#ifndef DZ_DATA_DIR
#error DZ_DATA_DIR must name the data folder
#endif

namespace dz::app {
namespace {

QString DataFile(const char* relative) {
    return QStringLiteral(DZ_DATA_DIR "/") + relative;
}

// Values of `attribute` on every element named `element` (any element when empty).
QSet<QString> Attributes(const QString& path, const QString& element, const QString& attribute) {
    QSet<QString> out;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (!element.isEmpty() && xml.name() != element) continue;
        const QString v = xml.attributes().value(attribute).toString();
        if (!v.isEmpty()) out.insert(v);
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return out;
}

QSet<QString> LanguageIds(const char* file) {
    QSet<QString> ids;
    QFile f(DataFile(file));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << file;
    for (const QString& line : QString::fromUtf8(f.readAll()).split('\n')) {
        if (line.trimmed().startsWith('#')) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) ids.insert(line.left(eq).trimmed());
    }
    return ids;
}

TEST(SkinContent, MainMessageAndAboutSkinsNameTheirControls) {
    struct C {
        const char* file;
        std::vector<const char*> names;
    };
    const std::vector<C> cases = {
        {"skin/main.ui",
         {"root", "closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn",
          "cloudbtn", "smarteyesbtn", "setbtn", "device_select_layout", "device_switch",
          "device_power_switch", "No_device_Link", "nodevice_ok_btn", "control_light_status",
          "str_test", "text_test", "setting_progress"}},
        {"skin/msgbox.ui",
         {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"}},
        {"skin/about.ui",
         {"closebtn", "maxbtn", "restorebtn", "minbtn", "menubtn", "software_ver_label",
          "text_test"}},
        {"skin/setwnd.ui",
         {"closebtn", "maxbtn", "restorebtn", "minbtn", "laterbtn", "device_update_list_info",
          "Language_combox_info", "Update_Status_text", "update_status_ring", "update_status_image",
          "update_tishi_layout", "set_in_update_wnd_btn", "update_fw_and_ap",
          "get_update_tab_layout", "update_OK_btn", "autostart_check"}},
        {"skin/custom/device_Update_list_item.ui",
         {"check_name_select", "OldRev", "updateRev", "update_status_text", "update_status_ing",
          "update_progress_value", "update_status_ok", "update_open_folder_btn"}},
        {"skin/skinwnd.ui",
         {"skin_tab", "skin_image", "skin_color", "skin_reset", "skin_Custom", "skin_image_btn_1",
          "skin_color_btn_1"}},
        {"skin/pallet_dialog.ui",
         {"Pallet", "color_option_0", "color_option_19", "collect_color_option_0",
          "collect_color_option_19", "color_show_btn", "color_edit_r", "color_edit_g",
          "color_edit_b", "7color", "7color_layout", "okbtn", "closebtn", "laterbtn", "minbtn",
          "maxbtn", "restorebtn", "menubtn"}},
        {"skin/custom/ShootControl.ui",
         {"shoot_gun_op_0", "shoot_gun_op_3", "shoot_image_display_switch", "bullet_op_0",
          "bullet_op_29", "bullet_select_index", "bullet_selected_prev", "bullet_selected_next",
          "bullet_edit_layout", "bullet_x_check", "bullet_y_check", "bullet_x_eidt",
          "bullet_y_eidt", "bullet_delay_eidt", "shootdate_import_btn", "shootdate_export_btn",
          "shootdate_save_btn", "shootdate_reset_btn"}},
    };
    for (const C& c : cases) {
        const QSet<QString> names = Attributes(DataFile(c.file), "widget", "name");
        for (const char* n : c.names) EXPECT_TRUE(names.contains(n)) << c.file << " lacks " << n;
    }
}

TEST(SkinContent, MenusHoldEveryRoutedItemAndNothingUnrouted) {
    const QSet<QString> tray = Attributes(DataFile("skin/menu.xml"), "item", "name");
    EXPECT_EQ(tray, (QSet<QString>{"exit", "about_menu", "setwnd_menu"}));
    const QSet<QString> macro =
        Attributes(DataFile("skin/XML/Menus/macro_action_menu.xml"), "item", "name");
    EXPECT_EQ(macro.size(), 22);
    for (const QString& item : tray + macro)
        EXPECT_TRUE(RouteMenuCommand(item.toStdString())) << item.toStdString() << " is not routed";
}

TEST(SkinContent, ResourceMapNamesTheShellsFiles) {
    // name -> file for the windows and menus of the application shell.
    QHash<QString, QString> map;
    QFile f(DataFile("skin/res.xml"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto a = xml.attributes();
        if (a.hasAttribute("name"))
            map.insert(a.value("name").toString(), a.value("file").toString());
    }
    for (const char* n :
         {"XML_MAIN", "XML_MSG", "AboutWnd.xml", "menu.xml", "XML\\Menus\\macro_action_menu.xml",
          "setwnd.xml", "skin.xml", "XML\\CustomControlXML\\device_Update_list_item.xml",
          "PalletDialog.xml", "XML\\CustomControlXML\\ShootControl.xml"}) {
        ASSERT_TRUE(map.contains(n)) << n;
        EXPECT_TRUE(QFile::exists(DataFile("skin/") + map[n]))
            << n << " -> " << map[n].toStdString();
    }
}

TEST(SkinContent, LanguagesListedAndEveryIdentifierInBoth) {
    QFile f(DataFile("DefaultData/Language.config"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonArray langs = QJsonDocument::fromJson(f.readAll()).object()["Language"].toArray();
    ASSERT_EQ(langs.size(), 2);
    QSet<QString> needed = {"tips_text",       "software_rev_text", "message_text_2",
                            "message_text_4",  "message_text_5",    "message_text_6",
                            "message_text_7",  "message_text_16",   "message_text_22",
                            "message_text_25", "message_text_26"};
    for (const auto& l : langs) {
        const QJsonObject o = l.toObject();
        EXPECT_TRUE(o["Language_ID"].isDouble());
        needed.insert(o["Language_text"].toString());
        EXPECT_TRUE(QFile::exists(DataFile("lang/") + o["Language_file"].toString() + ".lang"))
            << o["Language_file"].toString().toStdString();
    }
    // Every identifier the menus and skins use as text.
    for (const char* file : {"skin/menu.xml", "skin/XML/Menus/macro_action_menu.xml"})
        needed += Attributes(DataFile(file), "", "text");
    const QRegularExpression text_id(QStringLiteral("<string>([a-z_0-9]+_text)</string>"));
    // The texts the settings window and its rows show by status.
    for (int status = 0; status <= 4; ++status)
        needed.insert(QString::fromLatin1(update::CSetWnd::StatusTextId(status)));
    for (int status = 0; status <= 8; ++status)
        needed.insert(QString::fromLatin1(update::CUpdateInfoListItemUI::StatusTextId(status)));
    for (const char* file : {"skin/main.ui", "skin/msgbox.ui", "skin/about.ui", "skin/setwnd.ui",
                             "skin/skinwnd.ui", "skin/custom/device_Update_list_item.ui",
                             "skin/pallet_dialog.ui", "skin/custom/ShootControl.ui"}) {
        QFile ui(DataFile(file));
        ASSERT_TRUE(ui.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(ui.readAll());
        for (auto it = text_id.globalMatch(content); it.hasNext();)
            needed.insert(it.next().captured(1));
    }
    const QSet<QString> en = LanguageIds("lang/lan_en.lang");
    const QSet<QString> cn = LanguageIds("lang/lan_cn.lang");
    for (const QString& id : needed) {
        EXPECT_TRUE(en.contains(id)) << "English lacks " << id.toStdString();
        EXPECT_TRUE(cn.contains(id)) << "Chinese lacks " << id.toStdString();
    }
    EXPECT_EQ(en, cn) << "both languages define the same identifiers";
}

}  // namespace
}  // namespace dz::app
