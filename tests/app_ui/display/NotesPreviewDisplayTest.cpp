// A note of three pages in the running main window: its print preview, opened from the notes
// tool bar, pages through the note and shows printed text; printed to a PDF file it has three
// pages.
#include "app/ui/NotesCommands.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/widgets/Printer.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"
#include "tests/richtext_view/PrintFixture.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/PdfPages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

namespace {

// Three pages: each starts with a page break and holds a few lines of text.
std::string ThreePageNote() {
    TNotesDocument note;
    for (int page = 1; page <= 3; ++page) {
        note.AddNL("Page " + std::to_string(page), 1, 0);
        if (page > 1) {
            note.SetPageBreaksBeforeItems(note.ItemCount() - 1, true);
        }
        for (int line = 0; line < 5; ++line) {
            note.AddNL("The quick brown fox jumps over the lazy dog.", 0, 0);
        }
    }
    TMemoryStream written;
    note.SaveRNFToStream(written, false, clNone, nullptr);
    return written.Bytes();
}

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                ++dark;
            }
        }
    }
    return dark;
}

} // namespace

TEST(NotesPreviewDisplay, PreviewPagesThroughTheNoteAndPrintingGivesThreePages) {
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    const std::string pdf = std::string(TARNWICK_SCREENSHOT_DIR) + "/note.pdf";
    QFile::remove(QString::fromStdString(pdf));
    ScopedPrinter printer(std::make_unique<TQtPrinter>(nullptr, pdf));

    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    FakeNotesPrompts prompts;
    window.NotesPart().Commands().SetPrompts(prompts);
    TfrmPreview preview;
    preview.resize(700, 700);
    window.NotesPart().Commands().SetPreviewForm(&preview);
    rig.Lifecycle.Open = true;
    TTreeNode* node = rig.Add(NodeKind::Notes, "Three pages");
    const std::string bytes = ThreePageNote();
    NodeRecord(node)->Notes.AppendRaw(bytes.data(), bytes.size());
    window.resize(900, 600);
    window.show();
    window.Binder().Items().SetSelected(node);
    ASSERT_TRUE(
        WaitUntil([&] { return window.NotesPart().Commands().RichNoteEdit1().isVisible(); }));
    ASSERT_GT(window.NotesPart().Commands().RichNoteEdit1().GetLineCount(), 15);

    std::vector<std::string> indicators;
    int dark = 0;
    WhenModal([&](QWidget* dialog) {
        ASSERT_EQ(dialog, &preview);
        indicators.push_back(preview.PageIndicator());
        preview.Button3Click();
        indicators.push_back(preview.PageIndicator());
        QCoreApplication::processEvents();
        TRNPrintPreview& pages = preview.rnpp();
        const QImage shot = pages.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const TRect page = pages.PageRect();
        const QPoint origin = pages.ClientOrigin();
        dark = DarkPixels(shot, QRect(page.Left + origin.x() + 2, page.Top + origin.y() + 2,
                                      page.Width() - 4, page.Height() - 4)
                                    .intersected(shot.rect()));
        Screenshot(preview, "notes-preview.png");
        preview.reject();
    });
    window.NotesPart().Commands().Action(TNoteAction::RPirntPreview)->trigger();
    EXPECT_EQ(indicators, (std::vector<std::string>{"1 of 3", "2 of 3"}));
    EXPECT_GT(dark, 40);

    window.NotesPart().Commands().Action(TNoteAction::RPrint)->trigger();
    EXPECT_EQ(PdfPageObjects(pdf), 3);
    window.NotesPart().Commands().SetPreviewForm(nullptr);
    rig.Window.reset();
}
