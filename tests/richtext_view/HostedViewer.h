#pragma once

// A viewer's root data on the fake canvas with a host of the test's own class, for tests
// that change an answer the plain FakeHost keeps fixed.

#include "ViewFixture.h"

template <class Host> struct HostedViewer {
    TFakeCanvas Canvas;
    TRNStyle Style;
    Host H;
    std::unique_ptr<TRichNoteRNData> Data;

    HostedViewer() {
        Style.TextStyles()[0].Size = 12;
        Style.TextStyles()[1].Size = 12;
        H.Style = &Style;
        H.Canvas = &Canvas;
        Data = std::make_unique<TRichNoteRNData>(H);
    }
    TRichNoteRNData& D() { return *Data; }
    void Format() { Data->Format_(false, true, false, 0, Canvas, false); }
};
