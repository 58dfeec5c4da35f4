// Notes holding many pictures that each take their whole time to draw: the notes editor shows
// them at once, as frames, read from the stored note and inserted from an RTF file, and they stay
// frames. Notes of many pictures that each take a while but less than their time fill in by
// themselves, the editor painting again as they become ready and serving the event loop all the
// while.
#include "app/ui/NotesStorage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemPictures.h"
#include "tests/app_ui/NotesRig.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/ResourceProbe.h"
#include "tests/support/SlowPictures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPaintEvent>

namespace {

constexpr int SlowPictures = 20;

int PictureCount(NotesRig& rig) {
    int pictures = 0;
    for (int i = 0; i < rig.D().ItemCount(); ++i) {
        pictures += dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(i)) != nullptr;
    }
    return pictures;
}

// 20 pictures of 100 bitmaps of 4,096 x 4,096 pixels each, no two alike.
std::vector<std::string> SlowBitmapPictures() {
    std::vector<std::string> pictures;
    for (int i = 0; i < SlowPictures; ++i) {
        pictures.push_back(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour()));
    }
    return pictures;
}

// `record` with the stored note of the notes editor holding `pictures`, one after the other.
void StoreNoteOfPictures(TPageInfo& record, const std::vector<std::string>& pictures) {
    NotesRig writer;
    writer.Fill({{"pictures", 0, 0}});
    for (const std::string& bytes : pictures) {
        auto picture = std::make_unique<TMetafile>();
        picture->LoadFromBytes(bytes);
        writer.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    }
    EXPECT_TRUE(saveRichContent(record.Notes, writer.E()));
}

// The editor's pictures, each taking longer than a picture may, all end as frames for good: once
// that is known, the editor paints no more and no paint starts their work again.
void ExpectFramesForGood(NotesRig& rig) {
    ASSERT_TRUE(WaitForPictures());
    for (int i = 0; i < rig.D().ItemCount(); ++i) {
        if (const auto* item = dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(i))) {
            EXPECT_TRUE(PicturesRefused(item->Image->SaveToBytes())) << "item " << i;
        }
    }
    const int started = PicturePreparer().Counts().Started;
    rig.E().Invalidate();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(PicturePreparer().Counts().Started, started);
}

// Serves the event loop as the program does, for a window that nothing touches: notes when
// `widget` is painted (more than its caret) and when a posted event is served, the event posting
// itself again each time, until no picture is being prepared and no paint began for `quiet`, or
// `limit` passed.
class TPaintWatch : public QObject {
public:
    explicit TPaintWatch(QWidget& widget) : widget_(widget) { widget.installEventFilter(this); }
    ~TPaintWatch() override { widget_.removeEventFilter(this); }

    void Serve(qint64 quiet, qint64 limit) {
        clock_.start();
        QCoreApplication::postEvent(this, new QEvent(Tick));
        while (clock_.elapsed() < limit &&
               (PicturePreparer().Busy() ||
                clock_.elapsed() - (Paints.empty() ? 0 : Paints.back()) < quiet)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    }

    // When the window was painted, and how many posted events were served before each paint.
    std::vector<qint64> Paints;
    std::vector<size_t> ServedBefore;
    // The longest a posted event waited to be served.
    qint64 LongestWait = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        const auto* paint = e->type() == QEvent::Paint ? static_cast<QPaintEvent*>(e) : nullptr;
        if (paint && paint->rect().width() > 8 && paint->rect().height() > 8) {
            Paints.push_back(clock_.elapsed());
            ServedBefore.push_back(served_);
        }
        return false;
    }
    bool event(QEvent* e) override {
        if (e->type() != Tick) {
            return QObject::event(e);
        }
        LongestWait = std::max(LongestWait, clock_.elapsed() - lastServed_);
        lastServed_ = clock_.elapsed();
        ++served_;
        QCoreApplication::postEvent(this, new QEvent(Tick));
        return true;
    }

private:
    static constexpr QEvent::Type Tick = static_cast<QEvent::Type>(QEvent::User + 17);
    QWidget& widget_;
    QElapsedTimer clock_;
    qint64 lastServed_ = 0;
    size_t served_ = 0;
};

// A colour of its own for each picture: strong red, green counting up.
uint32_t PictureColour(int i, uint32_t blue) {
    return 0xC00000 | static_cast<uint32_t>(i * 37 % 256) << 8 | blue;
}

// How many pixels of `shot` are `colour` (0xRRGGBB).
int PixelsOf(const QImage& shot, uint32_t colour) {
    int n = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            n += (shot.pixel(x, y) & 0xFFFFFF) == colour;
        }
    }
    return n;
}

// A note of `pictures` (each of colour PictureColour(i, blue), `frame` pixels square) opened in
// the notes editor, which nothing touches: its first paint draws frames; each picture is drawn,
// at least `share` of its frame in its colour, after paints the editor made by itself; a posted
// event never waited as long as one picture may take to prepare (the preparing is not the
// window's), and every paint came after posted events were served.
void ExpectAllDrawnOverPaints(const std::vector<std::string>& pictures, uint32_t blue, int frame,
                              double share) {
    TPageInfo record;
    StoreNoteOfPictures(record, pictures);
    NotesRig rig;
    rig.Page.resize(900, 500);
    TPaintWatch watch(rig.E());
    rig.Notes->LoadNotes(record);
    watch.Serve(1000, 120000);

    EXPECT_GE(watch.Paints.size(), 2u) << "all drawn at the first paint";
    EXPECT_LT(watch.LongestWait, PictureMillis);
    for (size_t i = 1; i < watch.ServedBefore.size(); ++i) {
        EXPECT_GT(watch.ServedBefore[i], watch.ServedBefore[i - 1]) << "paint " << i;
    }
    const QImage shot = rig.E().grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int i = 0; i < static_cast<int>(pictures.size()); ++i) {
        EXPECT_GE(PixelsOf(shot, PictureColour(i, blue)), share * frame * frame) << "picture " << i;
    }
}

} // namespace

// Each picture used its second: 20 of them took 20.7 s to show. The paint waits for none of them:
// the document shows within two seconds, and its pictures are frames.
TEST(NotesSlowPictures, TwentySlowPicturesInAnRtfFileShowWithinTwoSeconds) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 pictures ";
    for (const std::string& picture : SlowBitmapPictures()) {
        // Written without the placeable header, 100 pixels square.
        rtf += "{\\pict\\wmetafile8\\picwgoal1500\\pichgoal1500 " +
               RNFBytes2TextString(picture.substr(22)) + "}";
    }
    rtf += "\\par}";
    TempDir folder;
    WriteFileBytes(folder / "slow.rtf", rtf);
    NotesRig rig;
    rig.Fill({{"x", 0, 0}});
    rig.Prompts.File = TNoteFileChoice{(folder / "slow.rtf").string(), 1};

    TResourceProbe probe;
    ASSERT_TRUE(probe.PeakReset());
    rig.Notes->Execute(TNoteAction::RInsertFile);
    EXPECT_FALSE(rig.E().grab().isNull());
    EXPECT_LT(probe.Millis(), 2000);
    EXPECT_LT(probe.PeakGrowthMb(), 300);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
    EXPECT_EQ(PictureCount(rig), SlowPictures);
    ExpectFramesForGood(rig);
}

TEST(NotesSlowPictures, ANoteOfTwentySlowPicturesShowsWithinTwoSeconds) {
    TPageInfo record;
    {
        NotesRig writer;
        writer.Fill({{"pictures", 0, 0}});
        for (const std::string& bytes : SlowBitmapPictures()) {
            auto picture = std::make_unique<TMetafile>();
            picture->LoadFromBytes(bytes);
            writer.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
        }
        ASSERT_TRUE(saveRichContent(record.Notes, writer.E()));
    }
    NotesRig rig;
    TResourceProbe probe;
    ASSERT_TRUE(probe.PeakReset());
    rig.Notes->LoadNotes(record);
    EXPECT_FALSE(rig.E().grab().isNull());
    EXPECT_LT(probe.Millis(), 2000);
    EXPECT_LT(probe.PeakGrowthMb(), 300);
    EXPECT_EQ(PictureCount(rig), SlowPictures);
    ExpectFramesForGood(rig);
}

// Thirty pictures of 60 to 100 ms each: the first paint shows them as frames; the editor paints
// again by itself as they become ready, until every one is drawn.
TEST(NotesSlowPictures, ThirtySlowishPicturesAllShowWithoutInput) {
    constexpr int Frame = 48;
    const int bitmaps = slow_pictures::BitmapsTaking(80, Frame);
    std::vector<std::string> pictures;
    for (int i = 0; i < 30; ++i) {
        pictures.push_back(slow_pictures::SlowishWmf(PictureColour(i, 0x40), bitmaps, Frame));
    }
    ExpectAllDrawnOverPaints(pictures, 0x40, Frame, 0.9);
}

// Each enhanced metafile is converted and drawn in a process of its own, several at once; the
// editor paints again by itself as they become ready.
TEST(NotesSlowPictures, ManyEnhancedMetafilesAllShowWithoutInput) {
    constexpr int Frame = 48;
    TMetafile measured;
    measured.LoadFromBytes(hostile_metafile::SlowEmf(1, 0x0000FF, Frame));
    const qint64 conversion = slow_pictures::DrawingMillis(measured, Frame);
    const int count =
        static_cast<int>(std::clamp<qint64>(2500 / std::max<qint64>(1, conversion), 15, 40));
    std::vector<std::string> pictures;
    for (int i = 0; i < count; ++i) {
        pictures.push_back(hostile_metafile::SlowEmf(1, PictureColour(i, 0x60), Frame));
    }
    // The ellipse fills most of its frame.
    ExpectAllDrawnOverPaints(pictures, 0x60, Frame, 0.6);
}
