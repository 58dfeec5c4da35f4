#pragma once

// An editor without a window: the viewer's fake host and an editor host that records what the
// editor data asks of it.

#include "EditForm.h"
#include "ViewFixture.h"

#include "platform/base/Stream.h"
#include "richtext/view/RNERNData.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

class FakeEditHost : public IRNEditHost {
public:
    TRNEditorOptions Options{TRNEditorOption::rnoClearTagOnStyleApp};
    int Changes = 0;
    int TextStyleEvents = 0;
    int ParaStyleEvents = 0;
    TRect Caret{};
    bool CaretShown = false;
    // The conversion applied: every style becomes this one.
    int ConvertTo = 1;
    // What the control answers when the document asks whether it may change.
    bool AllowChange = true;
    int ChangeQuestions = 0;

    TRNEditorOptions GetEditorOptions() const override { return Options; }
    void DoChange(bool) override { ++Changes; }
    void CurTextStyleChanged() override { ++TextStyleEvents; }
    void CurParaStyleChanged() override { ++ParaStyleEvents; }
    int ConvertStyle(int, int, bool) override { return ConvertTo; }
    void SetCaret(int x, int y, int width, int height) override {
        Caret = Rect(x, y, x + width, y + height);
        CaretShown = true;
    }
    void HideCaret() override { CaretShown = false; }
    bool BeforeChange(bool) override {
        ++ChangeQuestions;
        return AllowChange;
    }
};

// Text styles 0..3 are 12 points (8 px a character); style 2 is Unicode.
struct Editor {
    TFakeCanvas Canvas;
    TRNStyle Style;
    FakeHost Host;
    FakeEditHost Edit;
    std::unique_ptr<TRNEditRNData> Data;
    int Beeps = 0;

    explicit Editor(int clientWidth = 200) {
        for (int i = 0; i < 4; ++i) {
            Style.TextStyles()[i].Size = 12;
        }
        Style.TextStyles()[2].Unicode = true;
        Host.Style = &Style;
        Host.Canvas = &Canvas;
        Host.ClientWidth = clientWidth;
        Data = std::make_unique<TRNEditRNData>(Host, Edit);
        Data->OnBeep = [this] { ++Beeps; };
    }
    TRNEditRNData& D() { return *Data; }
    void Format() { Data->Format(); }
    std::string Rnf() {
        TMemoryStream stream;
        Data->SaveRNFToStream(stream, false, clNone, nullptr);
        return stream.Bytes();
    }
    void Undo() { Data->UndoList().Undo(*Data); }
    void Redo() { Data->RedoList().Redo(*Data); }
    void AddPicture(int size, int paraNo) {
        Data->AddPictureEx("p", std::make_unique<TBitmap>(size, size), paraNo,
                           TRNVAlign::rnvaBaseline);
    }
    void Caret(int itemNo, int offs) { Data->SetCaretAtItem(itemNo, offs); }
    int CaretItem() { return Data->GetCurItemNo(); }
    int CaretOffs() { return Data->GetOffsetInCurItem(); }
};
