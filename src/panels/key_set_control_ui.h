#pragma once
// CKeySetControlUI: the panel on a keyboard or mouse page with which the user changes the
// function of one key or button ("KeySetControlItem"). It shows the key's current function
// code as one of twelve function pages with that page's values, and turns what the user
// chooses back into a code (the rules of models/key_pages.h, which dozadirctl shares).
//
// The code is kept in the device object of the page it sits on: saving stores it in the
// device's key list and profile data (SetKeyCode); "key_butt_prosave" has the device write
// its macros, its key table and its profile. The panel keeps no file of its own.
//
// Skin: "XML\CustomControlXML\KeySetControl.xml", whose root is of class "KeySetControl";
// the controls are looked up on the first operation (the loader builds them after the
// panel is made). A control the skin lacks is skipped.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/device_page.h"
#include "models/key_codes.h"
#include "models/key_pages.h"

namespace dz::panels {

class CKeySetControlUI : public QWidget, public KeyAssignmentPanel {
    Q_OBJECT

  public:
    static constexpr char kClassName[] = "KeySetControl";

    // The key being edited: its number and two codes.
    struct Entry {
        int key = -1;
        KeyFunctionCode current;
        KeyFunctionCode default_code;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    explicit CKeySetControlUI(QWidget* parent = nullptr);
    ~CKeySetControlUI() override;

    // ---- The panel's operations -------------------------------------------------------
    // 1 keyboard (or 9, its receiver): no DPI and no gun page; 2 mouse.
    void SetDeviceType(int type);
    [[nodiscard]] int DeviceType() const { return device_type_; }
    // The kind's macros in order; nothing selected.
    void SetMacroList(const std::vector<std::string>& names);
    // Stores the entry and shows its current code.
    void ShowEntry(int key, KeyFunctionCode current, KeyFunctionCode default_code);
    // The stored default code on the controls (the entry keeps its current code).
    void ShowDefault();
    void ShowCurrent();
    // The entry's key with the code the controls make.
    [[nodiscard]] Entry BuildCode() const;
    // Replaces the stored current code; the controls stay.
    void SetEntry(int key, KeyFunctionCode code);
    [[nodiscard]] const Entry& CurrentEntry() const { return entry_; }
    // The page the controls show (the function combo's choice), kNone when none.
    [[nodiscard]] KeyFunctionPage ShownPage() const;
    // Builds the code, stores it in the device's key list and profile data and turns the
    // action buttons on.
    void Save();
    // A key pressed while the key edit has the focus (set-1 scan code, extended flag):
    // keys outside the capture list are ignored.
    void CaptureKey(uint16_t scan_code, bool extended);

    // ---- KeyAssignmentPanel: what the device object gives ------------------------------
    void AttachDevice(int device_type) override { SetDeviceType(device_type); }
    void SetMacroNames(const std::vector<std::string>& names) override { SetMacroList(names); }
    void ShowKey(int key, int32_t current, int32_t default_code) override;
    void RemoveMacro(int index) override;
    void RenameMacro(int index, const std::string& name) override;
    void EnableActions(bool on) override;
    // A key press the input hook reports while the key edit has the focus.
    void OnHookKey(const input::HookMessage& message) override;
    void SetInputCoverage(input::InputCoverage coverage) override;

    // ---- KeyAssignmentPanel: what the routing hands on ---------------------------------
    // A key button of the page: opens the panel for that key (function page type 2) or,
    // on a keyboard's lighting page (type 1), paints the key.
    void OnKeyButton(int n) override;
    void OnApply() override { Save(); }
    void OnDefault() override;
    void OnCancel() override;
    // Writes the macros, the key table and the profile (the macro shortage gives the key
    // its default back).
    void OnWriteKeyAssignments() override;
    void OnComboModifier(int n) override;
    void OnFunctionCombo() override;
    void OnMacroOverCombo() override;
    void Refresh() override { Save(); }

  private:
    struct Controls;
    Controls& Ui();
    const Controls& Ui() const;
    void Initialise(Controls& c);
    // Chooses the page and fills its controls for `code` (Part of every Show); answers
    // the code as reading it left it.
    KeyFunctionCode ShowCode(KeyFunctionCode code);
    void ShowPage(KeyFunctionPage page);
    [[nodiscard]] KeyPageInput ReadPage() const;
    void ShowKeyText(int key_name_row);
    void SelectModifier(int choice);
    [[nodiscard]] int SelectedModifier() const;

    std::unique_ptr<Controls> ui_;
    Entry entry_;
    int device_type_ = 0;
    uint8_t captured_usage_ = 0;  // the keyboard page's key (0: none)
};

// Registers "KeySetControl" and "CKeySetControlUI" with the control factory.
void RegisterKeySetControl();

}  // namespace dz::panels
