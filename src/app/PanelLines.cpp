#include "app/PanelLines.h"

#include "controls/VokPanel.h"

namespace vok {

void PanelLines::Attach(TVokPanel* panel) {
    panel_ = panel;
    ApplyHint();
}

void PanelLines::SetTitleLine(const QString& text) {
    if (panel_ != nullptr) {
        panel_->SetTitle(text);
    }
}

void PanelLines::SetInfoLine(const QString& text) {
    if (panel_ != nullptr) {
        panel_->SetInfo(text);
    }
}

void PanelLines::SetHint(const QString& text) {
    hint_ = text;
    ApplyHint();
}

void PanelLines::SetShowHint(bool show) {
    showHint_ = show;
    ApplyHint();
}

void PanelLines::Clear() {
    SetTitleLine(QString());
    SetInfoLine(QString());
}

QString PanelLines::TitleLine() const {
    return panel_ != nullptr ? panel_->Title() : QString();
}

QString PanelLines::InfoLine() const {
    return panel_ != nullptr ? panel_->Info() : QString();
}

QString PanelLines::VisibleHint() const {
    return showHint_ ? hint_ : QString();
}

void PanelLines::ApplyHint() {
    if (panel_ != nullptr) {
        panel_->setToolTip(VisibleHint());
    }
}

}  // namespace vok
