// Custom widgets driven by the mouse and keyboard: band selection, picture button delete
// box, picture picker, record button pulse, list rows.
#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QListWidget>
#include <QMouseEvent>

#include "ui/control_ops.h"
#include "ui/widgets/cloud_share_list_item.h"
#include "ui/widgets/combo_edit_container_element.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/hand_img_button.h"
#include "ui/widgets/hand_img_select_button.h"
#include "ui/widgets/redio_macro_button.h"
#include "ui/widgets/select_panel.h"
#include "widgets_fixture.h"

namespace dz::ui {
namespace {

using test::WidgetsTest;

// Mouse events with explicit buttons held, as a real drag delivers them.
void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
           Qt::KeyboardModifiers mods = {}) {
    QMouseEvent e{type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, mods};
    QApplication::sendEvent(w, &e);
}
void Press(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = {}) {
    Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, mods);
}
void Drag(QWidget* w, QPoint at) {
    Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void Hover(QWidget* w, QPoint at) {
    Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
}
void Release(QWidget* w, QPoint at, Qt::KeyboardModifiers mods = {}) {
    Mouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, mods);
}
void Enter(QWidget* w, QPoint at) {
    QEnterEvent e{QPointF(at), QPointF(at), QPointF(w->mapToGlobal(at))};
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

TEST_F(WidgetsTest, BandSelectionMarksTheKeysItMeets) {
    auto* panel = C<SelectPanel>("device_key_light");
    auto* k1 = C<DeviceKeyButton>("key_1");  // 10..50 x 10..50
    auto* k2 = C<DeviceKeyButton>("key_2");  // 100..140 x 10..50
    auto* k3 = C<DeviceKeyButton>("key_3");  // 200..240 x 110..150 (inside "key_row")
    auto flags = [&] {
        return std::vector<bool>{k1->SelectedByBand(), k2->SelectedByBand(), k3->SelectedByBand()};
    };
    const QString end = QStringLiteral("click_select_end");

    Press(panel, QPoint(5, 5));
    EXPECT_TRUE(panel->IsPressed());
    Drag(panel, QPoint(60, 30));
    EXPECT_TRUE(panel->IsDragging());
    Drag(panel, QPoint(120, 60));
    EXPECT_EQ(panel->Band(), QRect(5, 5, 115, 55));
    EXPECT_TRUE(w.Of(end).empty());  // only at the release
    Release(panel, QPoint(120, 60));
    EXPECT_FALSE(panel->IsPressed());
    EXPECT_EQ(flags(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(w.Count(end, QStringLiteral("device_key_light")), 1);

    // Dragged up and to the left: the band is normalised; earlier flags are replaced.
    Press(panel, QPoint(250, 190));
    Drag(panel, QPoint(190, 105));
    EXPECT_EQ(panel->Band(), QRect(190, 105, 60, 85));
    Release(panel, QPoint(190, 105));
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(w.Count(end, QStringLiteral("device_key_light")), 2);

    // A band that just touches key_1's last column.
    Press(panel, QPoint(49, 0));
    Release(panel, QPoint(70, 5));
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false}));  // y 0..5 misses key_1 (10..)
    Press(panel, QPoint(49, 0));
    Release(panel, QPoint(70, 11));
    EXPECT_EQ(flags(), (std::vector<bool>{true, false, false}));

    // A click without a drag selects nothing and still ends the selection.
    Press(panel, QPoint(20, 20));
    Release(panel, QPoint(20, 20));
    EXPECT_EQ(flags(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(w.Count(end, QStringLiteral("device_key_light")), 5);

    // Moving without the button held does not start a band.
    Hover(panel, QPoint(200, 100));
    EXPECT_FALSE(panel->IsDragging());
}

TEST_F(WidgetsTest, PictureButtonDeleteBox) {
    auto* pic = C<HandImgButton>("custom_pic_1");  // 120 x 80
    EXPECT_TRUE(pic->IsReadOnly());
    EXPECT_EQ(pic->DeleteBox(), QRect(90, 51, 20, 20));
    const QPoint inBox(100, 60), outside(20, 20);
    const QString del = QStringLiteral("click_handdelete"), click = QStringLiteral("click");
    const QString name = QStringLiteral("custom_pic_1");

    // Read-only: no box, a click in its place is a normal click.
    Enter(pic, outside);
    EXPECT_TRUE(pic->CurrentDeleteImage().isEmpty());
    QTest::mouseClick(pic, Qt::LeftButton, {}, inBox);
    EXPECT_EQ(w.Count(click, name), 1);
    EXPECT_EQ(w.Count(del, name), 0);

    pic->SetReadOnly(false);
    EXPECT_EQ(pic->CurrentDeleteImage(), QStringLiteral("images/delete_normal.png"));
    Hover(pic, inBox);
    EXPECT_EQ(pic->CurrentDeleteImage(), QStringLiteral("images/delete_hot.png"));
    EXPECT_EQ(PixelOf(pic, QPoint(91, 52)), 0xFFE02020u);  // the hot image is drawn in the box
    Hover(pic, outside);
    EXPECT_EQ(pic->CurrentDeleteImage(), QStringLiteral("images/delete_normal.png"));
    QTest::mouseClick(pic, Qt::LeftButton, {}, inBox, 600);
    EXPECT_EQ(w.Count(del, name), 1);
    EXPECT_EQ(w.Count(click, name), 1);  // not activated by the box
    EXPECT_FALSE(pic->isDown());
    QTest::mouseClick(pic, Qt::LeftButton, {}, outside, 600);
    EXPECT_EQ(w.Count(click, name), 2);
    EXPECT_EQ(w.Count(del, name), 1);
    // Box edges: the last pixel inside and the first outside.
    QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(109, 70), 600);
    EXPECT_EQ(w.Count(del, name), 2);
    QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(110, 70), 600);
    EXPECT_EQ(w.Count(del, name), 2);

    Leave(pic);
    EXPECT_FALSE(pic->IsHovered());
    EXPECT_TRUE(pic->CurrentDeleteImage().isEmpty());

    w.SetDPI(144);  // the box scales with the window
    EXPECT_EQ(pic->DeleteBox(), QRect(pic->width() - 45, pic->height() - 44, 30, 30));
}

TEST_F(WidgetsTest, PicturePickerDragsItsWindowWithinThePicture) {
    auto* picker = C<HandImgSelectButton>("pic_picker");  // 100 x 80 over a 300 x 200 picture
    EXPECT_EQ(picker->PictureSize(), QSize(300, 200));
    EXPECT_EQ(picker->ImageString(),
              QStringLiteral("file='images/hand_picture.png' source='0,0,100,80'"));
    EXPECT_EQ(picker->cursor().shape(), Qt::PointingHandCursor);

    Press(picker, QPoint(50, 40));
    EXPECT_TRUE(picker->IsDragging());
    Drag(picker, QPoint(30, 20));  // mouse left and up: the window moves right and down
    EXPECT_EQ(picker->SourceRect(), QRect(20, 20, 100, 80));
    EXPECT_EQ(picker->ImageString(),
              QStringLiteral("file='images/hand_picture.png' source='20,20,120,100'"));
    Drag(picker, QPoint(-900, -900));
    EXPECT_EQ(picker->SourceRect(), QRect(200, 120, 100, 80));  // clamped to the far corner
    Drag(picker, QPoint(900, 900));
    EXPECT_EQ(picker->SourceRect(), QRect(0, 0, 100, 80));  // and back to the origin
    Drag(picker, QPoint(850, 900));
    EXPECT_EQ(picker->SourceRect(), QRect(50, 0, 100, 80));
    Release(picker, QPoint(850, 900));
    EXPECT_FALSE(picker->IsDragging());
    Hover(picker, QPoint(0, 0));
    EXPECT_EQ(picker->SourceRect(), QRect(50, 0, 100, 80));  // no button: no move

    // A picture no larger than the control in one direction does not move that way.
    picker->SetHandImage(QStringLiteral("images/hand_small.png"));  // 120 x 80
    EXPECT_EQ(picker->SourceRect(), QRect(0, 0, 100, 80));
    Press(picker, QPoint(50, 40));
    Drag(picker, QPoint(0, 0));
    EXPECT_EQ(picker->SourceRect(), QRect(20, 0, 100, 80));
    Release(picker, QPoint(0, 0));

    for (const auto& [name, shape] :
         std::vector<std::pair<const char*, Qt::CursorShape>>{{"ibeam", Qt::IBeamCursor},
                                                              {"sizewe", Qt::SizeHorCursor},
                                                              {"no", Qt::ForbiddenCursor},
                                                              {"bogus", Qt::ArrowCursor}}) {
        EXPECT_EQ(HandImgSelectButton::CursorShapeOf(QString::fromLatin1(name)), shape) << name;
    }
}

TEST_F(WidgetsTest, RecordButtonPulse) {
    auto* rec = C<RedioMacroButton>("macro_btn_starredio");
    EXPECT_EQ(rec->FadeLevel(), 255);
    EXPECT_FALSE(rec->IsPulsing());
    ASSERT_TRUE(rec->StartPulse());
    EXPECT_TRUE(w.IsTimerActive(rec, 100));
    std::vector<int> levels;
    for (int i = 0; i < 20; ++i) {
        rec->Step();
        levels.push_back(rec->FadeLevel());
    }
    EXPECT_EQ(levels, (std::vector<int>{235, 215, 195, 175, 155, 135, 115, 95,  80,  100,
                                        120, 140, 160, 180, 200, 220, 240, 255, 235, 215}));
    EXPECT_EQ(rec->ImageString(), QStringLiteral("res='images/redio.png' fade='215'"));

    // The window's timer drives it, and the ticks stay inside the button.
    QTRY_VERIFY(rec->FadeLevel() != 215);
    EXPECT_TRUE(w.Of(QStringLiteral("timer")).empty());
    rec->StopPulse();
    EXPECT_FALSE(rec->IsPulsing());
    EXPECT_FALSE(w.IsTimerActive(rec, 100));
    EXPECT_EQ(rec->FadeLevel(), 255);

    RedioMacroButton loose;  // not in a window: no timer to pulse with
    EXPECT_FALSE(loose.StartPulse());
    EXPECT_FALSE(loose.IsPulsing());
}

TEST_F(WidgetsTest, CloudShareRowHoverActivateAndMenu) {
    auto* list = C<QListWidget>("macro_event_list");
    auto* row = new CloudShareListItem;
    row->setObjectName(QStringLiteral("share_row"));
    row->SetText1(QStringLiteral("name"));
    row->SetText2(QStringLiteral("date"));
    row->setMinimumSize(300, 24);
    AddListRow(list, row);
    ASSERT_EQ(ListRow(list, 0), row);
    QTRY_VERIFY(row->isVisible());
    EXPECT_EQ(row->HotBorderColor(), QColor(0, 255, 0));  // the list's hot border colour
    EXPECT_NE(PixelOf(row, QPoint(0, 0)), 0xFF00FF00u);
    Enter(row, QPoint(5, 5));
    EXPECT_TRUE(row->IsHovered());
    EXPECT_EQ(PixelOf(row, QPoint(0, 0)), 0xFF00FF00u);
    EXPECT_EQ(PixelOf(row, QPoint(row->width() - 1, row->height() - 1)), 0xFF00FF00u);
    Leave(row);
    EXPECT_FALSE(row->IsHovered());

    QTest::mouseDClick(row, Qt::LeftButton);
    EXPECT_EQ(w.Count(QStringLiteral("itemactivate"), QStringLiteral("share_row")), 1);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3), QPoint(40, 50));
    QApplication::sendEvent(row, &menu);
    const auto menus = w.Of(QStringLiteral("menu"));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].name, QStringLiteral("share_row"));
    EXPECT_EQ(menus[0].wParam, 40);

    list->setProperty("menu", false);  // context menus off: no "menu"
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(3, 3), QPoint(40, 50));
    QApplication::sendEvent(row, &again);
    EXPECT_EQ(w.Of(QStringLiteral("menu")).size(), 1u);
}

TEST_F(WidgetsTest, ComboEditRowsSelectClickAndReturn) {
    auto* list = C<QListWidget>("macro_event_list");
    auto* a = new ComboEditContainerElement;
    auto* b = new ComboEditContainerElement;
    a->setObjectName(QStringLiteral("event_0"));
    b->setObjectName(QStringLiteral("event_1"));
    ASSERT_NE(a->Child("text1"), nullptr);  // children come from the row's skin
    ASSERT_NE(a->Child("text2"), nullptr);
    ASSERT_NE(a->Child("delay_edit"), nullptr);
    a->SetTexts(QStringLiteral("A"), QStringLiteral("down"), QStringLiteral("50"));
    b->SetTexts(QStringLiteral("A"), QStringLiteral("up"), QStringLiteral("10"));
    EXPECT_EQ(a->Text2(), QStringLiteral("down"));
    EXPECT_EQ(b->Delay(), QStringLiteral("10"));
    AddListRow(list, a);
    AddListRow(list, b);
    QTRY_VERIFY(b->isVisible());
    // The row's own controls report to the window too.
    EXPECT_TRUE(IsNumberOnly(a->Child("delay_edit")));
    a->setProperty("normalimage", QStringLiteral("x.png"));  // accepted, ignored
    EXPECT_TRUE(a->property("normalimage").toString().isEmpty());

    const QPoint at(5, 5);
    const QString itemclick = QStringLiteral("itemclick");
    Press(a, at);
    Release(a, at);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_EQ(w.Count(itemclick, QStringLiteral("event_0")), 1);
    Press(b, at);
    Release(b, at);
    EXPECT_TRUE(b->IsSelected());
    EXPECT_FALSE(a->IsSelected());  // a plain click selects one row
    Press(a, at, Qt::ControlModifier);
    Release(a, at, Qt::ControlModifier);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    Press(b, at, Qt::ControlModifier);
    Release(b, at, Qt::ControlModifier);
    EXPECT_FALSE(b->IsSelected());  // Control toggles
    EXPECT_EQ(w.Count(itemclick, QStringLiteral("event_1")), 2);

    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(w.Count(QStringLiteral("return"), QStringLiteral("event_0")), 1);
    EXPECT_EQ(a->ActivateCount(), 1);
    a->setEnabled(false);
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(w.Count(QStringLiteral("return"), QStringLiteral("event_0")), 1);

    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3), QPoint(70, 80));
    QApplication::sendEvent(b, &menu);  // the list has context menus on
    const auto menus = w.Of(QStringLiteral("menu"));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].name, QStringLiteral("event_1"));
    EXPECT_EQ(menus[0].lParam, 80);

    QWidget* edit = b->Child("delay_edit");
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("5"));
    EXPECT_EQ(w.Count(QStringLiteral("textchanged"), QStringLiteral("delay_edit")), 1);
}

}  // namespace
}  // namespace dz::ui
