// A note holding a drawing of 476,000 records, or a progressive photo of 64 megapixels, opened in
// the notes editor as the window sets it up: the editor draws the picture once it is prepared
// beside the window, and the note's print preview draws it on its page. Neither is its frame.
#include "app/ui/NotesStorage.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/graphics/PicturePreparation.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNPP.h"
#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/DetailedPictures.h"
#include "tests/support/PicturesReady.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace detailed_pictures;

namespace {

// Opens in `rig`'s editor, sized as the window sets it, a note holding the picture of `bytes`
// saved as the editor saves it.
void OpenNoteHolding(NotesRig& rig, const std::string& bytes) {
    TPageInfo record;
    {
        NotesRig writer;
        writer.Fill({});
        writer.E().AddPictureEx("", LoadedPicture(bytes), -1, TRNVAlign::rnvaBaseline);
        ASSERT_TRUE(saveRichContent(record.Notes, writer.E()));
    }
    rig.Page.resize(700, 500);
    QCoreApplication::processEvents();
    rig.Notes->LoadNotes(record);
}

} // namespace

TEST(NotesDetailedPictures,
     ADetailedDrawingAndALargeProgressivePhotoAreDrawnInTheEditorAndPreview) {
    for (const std::string* bytes :
         {&Drawing(), &ProgressivePhoto(), &FullColourProgressivePhoto()}) {
        SCOPED_TRACE(LoadedPicture(*bytes)->ClassName());
        NotesRig rig;
        OpenNoteHolding(rig, *bytes);
        // Prepared beside the window however long a busy machine takes, and drawn by the paint
        // its readiness brings.
        ASSERT_TRUE(WaitForPictures());
        EXPECT_FALSE(PicturesRefused(*bytes));
        const QImage shot = rig.E().grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect client(rig.E().ClientOrigin(),
                           QSize(rig.E().ClientWidth(), rig.E().ClientHeight()));
        EXPECT_GT(ColouredShare(shot, client), 0.3);

        TfrmPreview preview;
        preview.resize(700, 700);
        rig.Notes->SetPreviewForm(&preview);
        double previewed = 0;
        WhenModal([&](QWidget*) {
            TRNPrintPreview& pages = preview.rnpp();
            pages.SetZoomMode(TRNZoomMode::rnzmFullPage);
            // The page the picture opens (the note's first line, empty, may have one before).
            const int count = pages.RNPrint()->GetPagesCount();
            for (int page = 1; page <= count; ++page) {
                if (page > 1) {
                    preview.Button3Click();
                }
                const TRect r = pages.PageRect();
                const QRect shown = QRect(r.Left, r.Top, r.Width(), r.Height())
                                        .translated(pages.ClientOrigin())
                                        .intersected(pages.rect());
                // The preparer's work ends by its CPU time, however long a busy machine makes
                // it on the wall; the page is painted again once it is ready.
                EXPECT_TRUE(WaitForPictures());
                previewed = std::max(previewed, ColouredShare(pages.grab().toImage(), shown));
            }
            preview.reject();
        });
        rig.Notes->Execute(TNoteAction::RPirntPreview);
        rig.Notes->SetPreviewForm(nullptr);
        EXPECT_GT(previewed, 0.3);
    }
}

// A note holding a photo given up (its header claims more working memory than any photo needs),
// larger than the editor: once its work ends the editor paints it again with nothing else asked
// of it, and the word is in view at the frame's top left, where the editor shows it.
TEST(NotesDetailedPictures, AGivenUpPhotoIsPaintedAgainWithItsWordInViewWithoutAnyOtherInput) {
    const std::string bytes = HostileFullSizeJpeg();
    NotesRig rig;
    OpenNoteHolding(rig, bytes);
    ASSERT_TRUE(WaitForPictures());
    ASSERT_TRUE(PicturesRefused(bytes));
    // What the editor shows as it stands: a grab paints only what waits to be painted.
    const QImage shot = rig.E().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect client(rig.E().ClientOrigin(),
                       QSize(rig.E().ClientWidth(), rig.E().ClientHeight()));
    // The word's letters, smoothed: greys between the frame's and the white around it.
    int word = 0;
    for (int y = client.top(); y <= client.bottom(); ++y) {
        for (int x = client.left(); x <= client.right(); ++x) {
            const QRgb p = shot.pixel(x, y);
            word += qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) > 128 && qRed(p) < 255;
        }
    }
    EXPECT_GT(word, 20);
}
