#include "panels/music_wnd.h"

#include <QEvent>

#include "platform/log/debug_log.h"
#include "ui/control_ops.h"

namespace dz::panels {

CMusicWnd::CMusicWnd(QWidget* parent)
    : ui::WindowBase(QStringLiteral("music.xml"), QStringLiteral("SET_WND"), parent,
                     Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("  "));
}

void CMusicWnd::InitWindow() {
    for (int i = 0; i < 4; ++i) {
        options_[size_t(i)] = FindControl(QStringLiteral("audio_select_tab%1").arg(i + 1));
        names_[size_t(i)] = FindControl(QStringLiteral("audio_edit_name%1").arg(i + 1));
    }
    sliders_ = {FindControl(QStringLiteral("audio_r_slider")),
                FindControl(QStringLiteral("audio_g_slider")),
                FindControl(QStringLiteral("audio_b_slider"))};
    close_btn_ = FindControl(QStringLiteral("closebtn"));
    for (QWidget* s : sliders_) {
        ui::SetMinValue(s, 0);
        ui::SetMaxValue(s, kStyleColourMaximum);
    }
}

bool CMusicWnd::ControlsPresent() const {
    for (QWidget* w : options_)
        if (w == nullptr) return false;
    for (QWidget* w : sliders_)
        if (w == nullptr) return false;
    return true;
}

void CMusicWnd::SetAudioStyleRecord(const AudioStyleRecord& record) {
    record_ = record;
    for (int i = 0; i < 4; ++i)
        ui::SetText(names_[size_t(i)], QString::fromStdString(record_.names[size_t(i)]));
    if (!ControlsPresent()) {
        log::DebugLine("GetAudioLightInfo control is NULL");
        return;
    }
    // An index outside the four selects none and leaves the sliders as they are.
    for (int i = 0; i < 4; ++i) ui::SetSelected(options_[size_t(i)], i == record_.style);
    if (record_.style >= 0 && record_.style < 4) ShowStyle(record_.style);
}

void CMusicWnd::ShowStyle(int style) {
    showing_ = true;
    for (size_t c = 0; c < 3; ++c) ui::SetValue(sliders_[c], record_.colours[size_t(style)][c]);
    showing_ = false;
}

int CMusicWnd::SelectedStyle() const {
    for (int i = 0; i < 4; ++i)
        if (ui::IsSelected(options_[size_t(i)])) return i;
    return 0;
}

void CMusicWnd::Notify(const ui::Notification& msg) {
    const QString& name = msg.name;
    if (msg.type == QLatin1String("click")) {
        if (msg.sender != nullptr && msg.sender == close_btn_) {
            Close(0);
        } else if (name == QLatin1String("okbtn")) {
            Close(1);
        } else if (name == QLatin1String("minbtn")) {
            showMinimized();
        } else if (name == QLatin1String("maxbtn")) {
            showMaximized();
        } else if (name == QLatin1String("restorebtn")) {
            showNormal();
        }
        return;
    }
    if (msg.type == QLatin1String("selectchanged")) {
        for (int i = 0; i < 4; ++i) {
            if (name.compare(QStringLiteral("audio_select_tab%1").arg(i + 1), Qt::CaseInsensitive))
                continue;
            if (!ControlsPresent()) {
                log::DebugLine("GetAudioLightInfo control is NULL");
                return;
            }
            if (!ui::IsSelected(options_[size_t(i)])) return;  // the one that lost the choice
            record_.style = i;
            ShowStyle(i);
        }
        return;
    }
    if (msg.type == QLatin1String("valuechanged")) {
        static const char* const kSliders[] = {"audio_r_slider", "audio_g_slider",
                                               "audio_b_slider"};
        for (size_t c = 0; c < 3; ++c) {
            if (name != QLatin1String(kSliders[c])) continue;
            if (!ControlsPresent()) {
                log::DebugLine("GetAudioLightInfo control is NULL");
                return;
            }
            if (showing_) return;
            record_.colours[size_t(SelectedStyle())][c] =
                static_cast<uint8_t>(ui::Value(sliders_[c]));
        }
        return;
    }
    if (msg.type == QLatin1String("killfocus")) {
        for (int i = 0; i < 4; ++i) {
            if (name.compare(QStringLiteral("audio_edit_name%1").arg(i + 1), Qt::CaseInsensitive))
                continue;
            QWidget* edit = names_[size_t(i)];
            QString text = ui::Text(edit);
            if (text.isEmpty()) {
                text = QString::fromUtf8(DefaultStyleNames()[size_t(i)]);
                ui::SetText(edit, text);
            }
            record_.names[size_t(i)] = text.toStdString();
        }
    }
}

void CMusicWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        ui::SetVisible(FindControl(QStringLiteral("maxbtn")), !maximised);
        ui::SetVisible(FindControl(QStringLiteral("restorebtn")), maximised);
    }
    ui::WindowBase::changeEvent(event);
}

}  // namespace dz::panels
