// A note holding a live control is saved as the control's published properties and reads
// back as a control of the same size and caption, laid out at that size.
#include "platform/base/Stream.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QPushButton>

namespace {

TEST(StoredControlNote, ALiveControlSavesAndReadsBackAtItsSize) {
    TRNStyle sheet;
    TRichNote source;
    source.SetStyle(&sheet);
    source.RNFOptions.Include(TRNFOption::rnfoSaveControlsBody);
    auto button = std::make_unique<QPushButton>("Press");
    button->setObjectName("Button3");
    button->resize(120, 30);
    source.AddControl(std::make_unique<TEmbeddedWidget>(std::move(button), "TButton"), false);
    source.Format();
    for (const bool binary : {false, true}) {
        SCOPED_TRACE(binary);
        if (binary) {
            source.RNFOptions.Include(TRNFOption::rnfoSaveBinary);
        }
        TMemoryStream stream;
        ASSERT_TRUE(source.SaveRNFToStream(stream, false));
        stream.Seek(0, TSeekOrigin::soBeginning);
        TRichNote back;
        back.SetStyle(&sheet);
        back.RNFOptions = source.RNFOptions;
        ASSERT_TRUE(back.LoadRNFFromStream(stream));
        back.Format();
        ASSERT_EQ(back.GetLineCount(), 1);
        std::string name;
        IEmbeddedControl* control = nullptr;
        TRNVAlign align{};
        RNTag tag;
        back.GetControlInfo(0, name, control, align, tag);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->ClassName(), "TButton");
        EXPECT_EQ(control->Name(), "Button3");
        EXPECT_EQ(control->Caption(), "Press");
        EXPECT_EQ(control->Width(), 120);
        EXPECT_EQ(control->Height(), 30);
        const TRNDrawLineInfo& piece = *back.RNData().DrawItems[0];
        EXPECT_GE(piece.Width, 120);
        EXPECT_GE(piece.Height, 30);
        // Saved again it gives the same bytes.
        TMemoryStream again;
        ASSERT_TRUE(back.SaveRNFToStream(again, false));
        EXPECT_EQ(again.Bytes(), stream.Bytes());
    }
}

} // namespace
