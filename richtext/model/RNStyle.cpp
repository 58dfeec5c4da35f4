#include "richtext/model/RNStyle.h"

TRNStyle::~TRNStyle() {
    // Taken out first: a control told here may remove or add notifications of its own.
    auto notifications = std::move(freeNotifications_);
    for (auto& entry : notifications) {
        entry.second();
    }
}

int TRNStyle::AddFreeNotification(std::function<void()> onFree) {
    freeNotifications_.emplace_back(++nextFreeKey_, std::move(onFree));
    return nextFreeKey_;
}

void TRNStyle::RemoveFreeNotification(int key) {
    std::erase_if(freeNotifications_, [key](const auto& entry) { return entry.first == key; });
}

TRNStyle::TRNStyle() {
    ResetParaStyles();
    ResetTextStyles();
}

void TRNStyle::ResetTextStyles() {
    using S = TFontStyle;
    textStyles_.Clear();
    textStyles_.Add().StyleName = "Normal text";
    struct Look {
        const char* Name;
        TFontStyles Style;
        TColor Color;
        bool Jump;
    };
    const Look looks[] = {{"Heading", {S::fsBold}, clBlue, false},
                          {"Subheading", {S::fsBold}, clNavy, false},
                          {"Keywords", {S::fsItalic}, clMaroon, false},
                          {"Jump 1", {S::fsUnderline}, clGreen, true},
                          {"Jump 2", {S::fsUnderline}, clGreen, true}};
    for (const Look& look : looks) {
        TFontInfo& style = textStyles_.Add();
        style.StyleName = look.Name;
        style.Style = look.Style;
        style.Color = look.Color;
        if (look.Jump) {
            style.Jump = true;
            style.JumpCursor = JumpCursor;
        }
    }
}

void TRNStyle::ResetParaStyles() {
    paraStyles_.Clear();
    paraStyles_.Add();
    TParaInfo& centered = paraStyles_.Add();
    centered.StyleName = "Centered";
    centered.Alignment = TRNAlignment::rnaCenter;
}

int TRNStyle::AddTextStyle() {
    textStyles_.Add();
    return textStyles_.Count() - 1;
}

TColor TRNStyle::GetHoverColorByColor(TColor color) const {
    return color == clNone ? HoverColor : color;
}

TColor TRNStyle::GetHoverColor(int styleNo) const {
    return GetHoverColorByColor(textStyles_[styleNo].HoverColor);
}

bool TRNStyle::StyleHoverSensitive(int styleNo) {
    const TFontInfo& style = textStyles_[styleNo];
    bool sensitive =
        GetHoverColorByColor(style.HoverColor) != clNone || style.HoverBackColor != style.BackColor;
    if (OnStyleHoverSensitive) {
        OnStyleHoverSensitive(*this, styleNo, sensitive);
    }
    return sensitive;
}
