// Metafiles and the clipboard: offered as image/x-wmf or image/x-emf, pasted as picture
// items after every other format, one undo step each.
#include "EditForm.h"

#include "platform/graphics/Metafile.h"
#include "tests/support/MetafileFixtures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>

namespace {

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

void CtrlV(TRichNoteEdit& e) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(&e, &press);
    QApplication::processEvents();
}

const TMetafile* PastedMetafile(EditForm& f, int item) {
    const auto* picture = dynamic_cast<const TRNGraphicItemInfo*>(&f.D().GetItem(item));
    return picture ? dynamic_cast<const TMetafile*>(picture->Image.get()) : nullptr;
}

} // namespace

TEST(EditPasteMetafile, WmfAndEmfBecomeMetafileItemsOneUndoEach) {
    struct Case {
        const char* format;
        std::string bytes;
        int inch;
    };
    const Case cases[] = {{"image/x-wmf", metafile_fixture::Wmf(true), 192},
                          {"image/x-wmf", metafile_fixture::Wmf(false), 1440},
                          {"image/x-emf", metafile_fixture::Emf(), 1440}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format + std::to_string(c.inch));
        EditForm f;
        Offer({{c.format, Bytes(c.bytes)}});
        EXPECT_TRUE(f.Edit->CanPaste());
        UndoRedo(f, [&] { CtrlV(*f.Edit); });
        EXPECT_EQ(Describe(f), "|'xy' picture:");
        const TMetafile* metafile = PastedMetafile(f, 1);
        ASSERT_NE(metafile, nullptr);
        EXPECT_EQ(metafile->SaveToBytes(), c.bytes);
        // A metafile that came without units per inch gets 1440.
        EXPECT_EQ(metafile->Inch(), c.inch);
        f.Undo();
        EXPECT_EQ(Describe(f), "|'xy'");
    }
}

TEST(EditPasteMetafile, OtherFormatsComeFirstAndDamagedOnesInsertNothing) {
    {
        // Text is taken before a metafile.
        EditForm f;
        Offer({{"image/x-wmf", Bytes(metafile_fixture::Wmf(true))}, {"text/plain", "ab"}});
        CtrlV(*f.Edit);
        EXPECT_EQ(Describe(f), "|'xyab'");
    }
    {
        // So is a picture of pixels.
        EditForm f;
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(Qt::green);
        auto* data = new QMimeData;
        data->setImageData(image);
        data->setData("image/x-emf", Bytes(metafile_fixture::Emf()));
        QApplication::clipboard()->setMimeData(data);
        CtrlV(*f.Edit);
        EXPECT_EQ(Describe(f), "|'xy' picture:");
        EXPECT_EQ(PastedMetafile(f, 1), nullptr);
    }
    {
        // Named after the clipboard's text on request.
        EditForm f;
        Offer({{"image/x-emf", Bytes(metafile_fixture::Emf())}, {"text/plain", "chart"}});
        EXPECT_TRUE(f.Edit->PasteMetafile(true));
        EXPECT_EQ(Describe(f), "|'xy' picture:chart");
    }
    {
        // A metafile cut short: a beep, nothing inserted, nothing to undo.
        EditForm f;
        const std::string cut = metafile_fixture::Emf().substr(0, 100);
        Offer({{"image/x-emf", Bytes(cut)}});
        const int undo = f.UndoCount();
        const std::string before = f.Rnf();
        CtrlV(*f.Edit);
        EXPECT_EQ(f.Rnf(), before);
        EXPECT_EQ(f.UndoCount(), undo);
        EXPECT_EQ(f.Beeps, 1);
    }
    {
        // Read-only: nothing to paste.
        EditForm f;
        f.Edit->ReadOnly = true;
        Offer({{"image/x-wmf", Bytes(metafile_fixture::Wmf(true))}});
        EXPECT_FALSE(f.Edit->CanPaste());
    }
}

TEST(EditPasteMetafile, CopyImageOffersWhatTheMetafileDraws) {
    EditForm f([](TRichNoteEdit& e) {
        e.AddNL("xy", 0, 0);
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromBytes(metafile_fixture::Emf());
        e.AddPictureEx("", std::move(metafile), -1, TRNVAlign::rnvaBaseline);
    });
    QApplication::clipboard()->clear();
    f.D().SetSelectionBounds(1, 0, 1, 1);
    f.Edit->CopyImage();
    const QImage image = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(200, 100));
    const metafile_fixture::TDrawn d{0, 0, 200, 100};
    EXPECT_TRUE(metafile_fixture::IsRed(metafile_fixture::RectPixel(image, d)));
    EXPECT_TRUE(metafile_fixture::IsBlue(metafile_fixture::LinePixel(image, d)));
}
