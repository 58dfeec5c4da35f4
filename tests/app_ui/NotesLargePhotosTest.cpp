// Notes of large photos at the shipped bound of ready images, painted by the notes editor as the
// window paints them (again whenever it is told a picture is ready), and in the print preview at
// whole-page zoom: every photo is drawn within ten seconds of the first paint (a photo whose image
// at the size shown would not fit the bound is prepared at a smaller scale), each is prepared once
// at the size it is shown at, and none pushes out another the same view shows. Scrolled through and
// left on one photo, the editor draws that photo with its own pixels and then starts no more work.
#include "app/ui/NotesStorage.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PicturePreparation.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNPP.h"
#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/JpegWriting.h"
#include "tests/support/LargePhotos.h"
#include "tests/support/PicturesReady.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>

namespace {

using Clock = std::chrono::steady_clock;

// Generous: every photo here is prepared in well under a second of a processor.
constexpr auto AllDrawnWithin = std::chrono::seconds(10);

struct TPhoto {
    int Width = 0;
    int Height = 0;
    uint32_t Colour = 0;
    std::string Bytes;
};

// Photos of the sizes given, each of a colour of its own: two colours differ by 128 in at least
// two channels, and none is near the white ground of a frame.
std::vector<TPhoto> Photos(const std::vector<std::pair<int, int>>& sizes) {
    constexpr uint32_t Colours[] = {0x2020A0, 0x20A020, 0xA02020, 0x20A0A0,
                                    0xA020A0, 0xA0A020, 0x202020};
    std::vector<TPhoto> photos;
    for (size_t i = 0; i < sizes.size(); ++i) {
        TPhoto photo{sizes[i].first, sizes[i].second, Colours[i % std::size(Colours)], {}};
        photo.Bytes = large_photos::PhotoJpeg(photo.Width, photo.Height, photo.Colour,
                                              static_cast<uint32_t>(i) + 1);
        photos.push_back(std::move(photo));
    }
    return photos;
}

// The stored note holding `photos`, one below the other, as the notes editor writes it.
void StoreNoteOfPhotos(TPageInfo& record, const std::vector<TPhoto>& photos) {
    NotesRig writer;
    writer.Fill({});
    for (const TPhoto& photo : photos) {
        auto picture = std::make_unique<TJPEGImage>();
        picture->LoadFromBytes(photo.Bytes);
        writer.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    }
    ASSERT_TRUE(saveRichContent(record.Notes, writer.E()));
}

// The share of the pixels of `area` of `shot` (sampled every fourth) within 40 a channel of
// `colour` (0xRRGGBB).
double ShareOfColour(const QImage& shot, const QRect& area, uint32_t colour) {
    int near = 0;
    int all = 0;
    for (int y = area.top(); y <= area.bottom(); y += 4) {
        for (int x = area.left(); x <= area.right(); x += 4) {
            const QRgb pixel = shot.pixel(x, y);
            near += std::abs(qRed(pixel) - static_cast<int>(colour >> 16 & 0xFF)) <= 40 &&
                    std::abs(qGreen(pixel) - static_cast<int>(colour >> 8 & 0xFF)) <= 40 &&
                    std::abs(qBlue(pixel) - static_cast<int>(colour & 0xFF)) <= 40;
            ++all;
        }
    }
    return all > 0 ? double(near) / all : 0;
}

// The places of the editor's photos in its view (in the widget's pixels, within its client
// area), in the note's order; an empty place for a photo out of view.
std::vector<QRect> PhotoPlaces(NotesRig& rig) {
    TRichNoteEdit& editor = rig.E();
    const QPoint origin = editor.ClientOrigin();
    const QRect client(origin, QSize(editor.ClientWidth(), editor.ClientHeight()));
    std::vector<QRect> places;
    for (int d = 0; d < rig.D().DrawItems.Count(); ++d) {
        const TRNDrawLineInfo& di = *rig.D().DrawItems[d];
        if (dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(di.ItemNo)) != nullptr) {
            // Inside the item's border of a pixel, and a pixel more for the picture's frame.
            places.push_back(QRect(origin.x() + di.Left - rig.D().GetHOffs() + 2,
                                   origin.y() + di.Top - rig.D().GetVOffs() + 2, di.Width - 4,
                                   di.Height - 4)
                                 .intersected(client));
        }
    }
    return places;
}

// Serves the event loop as the program does until `drawn` answers true, looked at whenever no
// picture is being prepared, or the time is up; whether it came to that.
bool ServeUntilDrawn(Clock::time_point until, const std::function<bool()>& drawn) {
    while (Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!PicturePreparer().Busy() && drawn()) {
            return true;
        }
        PicturePreparer().WaitUntilIdle(std::chrono::milliseconds(20));
    }
    return false;
}

std::vector<int> PreparationsOf(const std::vector<TPhoto>& photos) {
    std::vector<int> counts;
    for (const TPhoto& photo : photos) {
        counts.push_back(PicturePreparer().Preparations(TPictureBytes(photo.Bytes).Digest()));
    }
    return counts;
}

// Painted again as a whole, the view asks for nothing: no photo is prepared again and none let go.
void ExpectSettled(QWidget& view) {
    const TPreparerCounts before = PicturePreparer().Counts();
    view.update();
    ASSERT_TRUE(WaitForPictures(std::chrono::seconds(30)));
    EXPECT_EQ(PicturePreparer().Counts().Started, before.Started);
    EXPECT_EQ(PicturePreparer().Counts().Evicted, before.Evicted);
}

// The note opened in the notes editor of a page `height` pixels tall: every photo in view drawn,
// each prepared once, none let go for another.
void ExpectDrawnInTheEditor(NotesRig& rig, const TPageInfo& record,
                            const std::vector<TPhoto>& photos, int height, size_t inView) {
    rig.Page.resize(700, height);
    QCoreApplication::processEvents();
    // Nothing ready from before that the note's photos could push out.
    PicturePreparer().Forget();
    const int evicted = PicturePreparer().Counts().Evicted;
    const Clock::time_point start = Clock::now();
    rig.Notes->LoadNotes(record);
    const std::vector<QRect> places = PhotoPlaces(rig);
    ASSERT_EQ(places.size(), photos.size());
    ASSERT_EQ(static_cast<size_t>(std::count_if(places.begin(), places.end(),
                                                [](const QRect& r) { return !r.isEmpty(); })),
              inView);
    // Every photo in view has its colour there, not the ground of its frame.
    EXPECT_TRUE(ServeUntilDrawn(start + AllDrawnWithin, [&] {
        const QImage shot = rig.E().grab().toImage();
        for (size_t i = 0; i < places.size(); ++i) {
            if (!places[i].isEmpty() && ShareOfColour(shot, places[i], photos[i].Colour) < 0.9) {
                return false;
            }
        }
        return true;
    }));
    std::vector<int> once;
    for (const QRect& place : places) {
        once.push_back(place.isEmpty() ? 0 : 1);
    }
    EXPECT_EQ(PreparationsOf(photos), once);
    EXPECT_EQ(PicturePreparer().Counts().Evicted, evicted);
    ExpectSettled(rig.E());
}

// The note's print preview at whole-page zoom, paged through: each page that opens with a photo
// shows it (a photo taller than a page has a page of its own), each photo prepared once more, in
// the piece the page shows, at no more pixels than the preview shows it.
void ExpectDrawnInThePreview(NotesRig& rig, const std::vector<TPhoto>& photos) {
    TfrmPreview preview;
    preview.resize(700, 700);
    rig.Notes->SetPreviewForm(&preview);
    const std::vector<int> before = PreparationsOf(photos);
    std::vector<size_t> shown;
    WhenModal([&](QWidget*) {
        TRNPrintPreview& pages = preview.rnpp();
        TRNPrint& print = *pages.RNPrint();
        pages.SetZoomMode(TRNZoomMode::rnzmFullPage);
        for (int page = 1; page <= print.GetPagesCount(); ++page) {
            if (page > 1) {
                preview.Button3Click();
            }
            int itemNo = 0;
            int offset = 0;
            print.GetFirstItemOnPage(page, itemNo, offset);
            size_t photo = 0;
            for (int i = 0; i < itemNo; ++i) {
                photo += dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(i)) != nullptr;
            }
            if (dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(itemNo)) == nullptr ||
                photo >= photos.size()) {
                continue;
            }
            const TRect r = pages.PageRect();
            // The middle of the page: inside its text area, which the photo fills.
            const QRect middle =
                QRect(r.Left + r.Width() / 4, r.Top + r.Height() / 4, r.Width() / 2, r.Height() / 2)
                    .translated(pages.ClientOrigin());
            const uint64_t ready = PicturePreparer().ReadyBytes();
            const auto drawn = [&] {
                return ShareOfColour(pages.grab().toImage(), middle, photos[photo].Colour) >= 0.9;
            };
            EXPECT_TRUE(ServeUntilDrawn(Clock::now() + AllDrawnWithin, drawn)) << "page " << page;
            // No more than the pixels the page shows.
            const uint64_t pagePixels = TPictureKey({}, 0, r.Width(), r.Height()).Bytes();
            EXPECT_LE(PicturePreparer().ReadyBytes() - ready, pagePixels) << "page " << page;
            shown.push_back(photo);
            ExpectSettled(pages);
        }
        preview.reject();
    });
    rig.Notes->Execute(TNoteAction::RPirntPreview);
    rig.Notes->SetPreviewForm(nullptr);
    std::vector<size_t> each(photos.size());
    std::iota(each.begin(), each.end(), size_t{0});
    EXPECT_EQ(shown, each);
    const std::vector<int> after = PreparationsOf(photos);
    for (size_t i = 0; i < photos.size(); ++i) {
        EXPECT_EQ(after[i] - before[i], 1) << "photo " << i;
    }
}

} // namespace

// 8192 x 8000 pixels (within what a bitmap may have) take 250 MiB at their own size: more than the
// 192 MiB the ready images may take. Prepared at half its size, it is drawn stretched; a page of
// its preview gets the piece the page shows.
TEST(NotesLargePhotos, APhotoLargerThanTheBoundIsDrawnInTheEditorAndItsPreview) {
    const std::vector<TPhoto> photos = Photos({{8192, 8000}});
    TPageInfo record;
    StoreNoteOfPhotos(record, photos);
    NotesRig rig;
    ExpectDrawnInTheEditor(rig, record, photos, 500, 1);
    ASSERT_FALSE(HasFailure()) << "not shown in the editor";
    ExpectDrawnInThePreview(rig, photos);
}

// Two photos of 6000 x 6000 and four of 6000 x 4000 take 672 MB at their own size, more than
// three times the bound: in one view (the editor as tall as the note) they are kept together at a
// scale at which they fit.
TEST(NotesLargePhotos, SixPhotosInOneViewAreDrawnTogetherAndPushNoneOut) {
    const std::vector<std::pair<int, int>> sizes = {{6000, 6000}, {6000, 4000}, {6000, 4000},
                                                    {6000, 6000}, {6000, 4000}, {6000, 4000}};
    const std::vector<TPhoto> photos = Photos(sizes);
    TPageInfo record;
    StoreNoteOfPhotos(record, photos);
    int tall = 300;
    for (const auto& [width, height] : sizes) {
        tall += height + 2;
    }
    NotesRig rig;
    ExpectDrawnInTheEditor(rig, record, photos, tall, photos.size());
    ASSERT_FALSE(HasFailure()) << "not shown in the editor";
    ExpectDrawnInThePreview(rig, photos);
}

namespace {

// A photo of black lines a pixel wide on white, across and down, every `spacing` pixels.
std::string LinesJpeg(int width, int height, int spacing) {
    return WrittenJpeg(width, height, {}, [&](int y, unsigned char* row) {
        for (int x = 0; x < width; ++x) {
            const unsigned char v = x % spacing == 0 || y % spacing == 0 ? 0 : 255;
            std::fill_n(row + static_cast<size_t>(x) * 3, 3, v);
        }
    });
}

int Luma(QRgb pixel) {
    return (qRed(pixel) * 3 + qGreen(pixel) * 6 + qBlue(pixel)) / 10;
}

// Whether `area` of `shot` shows lines a pixel wide `spacing` apart, as the photo has them at its
// own pixels: along every other row, dark pixels between light ones, `spacing` from the last. A
// photo drawn stretched from fewer pixels has its lines grey or two pixels wide; a frame has none.
bool ShowsLinesOfItsOwnPixels(const QImage& shot, const QRect& area, int spacing) {
    int matched = 0;
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); y += 2) {
        ++rows;
        int last = -1;
        for (int x = area.left() + 1; x < area.right(); ++x) {
            if (Luma(shot.pixel(x, y)) < 100 && Luma(shot.pixel(x - 1, y)) > 160 &&
                Luma(shot.pixel(x + 1, y)) > 160) {
                matched += last >= 0 && x - last == spacing;
                last = x;
            }
        }
    }
    // The rows on a line across are dark all along, those beside them may blur.
    const double expected = double(rows) * (spacing - 3) / spacing * (area.width() / spacing - 1);
    return rows > 0 && matched >= 0.8 * expected;
}

} // namespace

// Four 6000 x 4000 photos of lines a pixel wide in an editor of about 1200 x 900, at the shipped
// bound (two such photos fit it, not four). Scrolled from the top to the middle of the third by
// wheel-sized steps, by larger ones and by pages, with the event loop run between steps or only at
// the end: a photo asked for while the scroll's strips counted every photo scrolled past is made
// smaller; once the scroll ends the photo in view is made at its own size and drawn with its lines,
// and later paints of the still view start no work.
TEST(NotesLargePhotos, APhotoScrolledToIsDrawnWithItsOwnPixelsOnceTheScrollEnds) {
    std::vector<TPhoto> photos;
    for (int i = 0; i < 4; ++i) {
        photos.push_back({6000, 4000, 0, LinesJpeg(6000, 4000, 9 + 2 * i)});
    }
    TPageInfo record;
    StoreNoteOfPhotos(record, photos);
    NotesRig rig;
    rig.Page.resize(1240, 960);
    QCoreApplication::processEvents();
    const TPictureKey third(TPictureBytes(photos[2].Bytes).Digest(), 'J', 6000, 4000);
    const int page = rig.E().ClientHeight();
    ASSERT_GT(page, 600);
    struct TScroll {
        int Step;
        bool Served;
    };
    for (const TScroll scroll : {TScroll{120, true}, TScroll{120, false}, TScroll{500, true},
                                 TScroll{page - 40, false}, TScroll{page, true}}) {
        SCOPED_TRACE("steps of " + std::to_string(scroll.Step) +
                     (scroll.Served ? ", served between" : ", served after"));
        PicturePreparer().Forget();
        rig.Notes->LoadNotes(record);
        rig.E().ScrollTo(0);
        ASSERT_TRUE(ServeUntilDrawn(Clock::now() + std::chrono::seconds(60), [&] {
            return ShowsLinesOfItsOwnPixels(rig.E().grab().toImage(), PhotoPlaces(rig)[0], 9);
        }));
        // The third photo's top, then half a view further: it alone in view.
        int target = 0;
        for (int d = 0, pictures = 0; d < rig.D().DrawItems.Count(); ++d) {
            const TRNDrawLineInfo& di = *rig.D().DrawItems[d];
            if (dynamic_cast<const TRNGraphicItemInfo*>(&rig.D().GetItem(di.ItemNo)) &&
                pictures++ == 2) {
                target = di.Top + page / 2;
            }
        }
        ASSERT_GT(target, 8000);
        for (int y = 0; y < target;) {
            y = std::min(target, y + scroll.Step);
            rig.E().ScrollTo(y);
            if (scroll.Served) {
                QCoreApplication::processEvents();
            }
        }
        std::vector<QRect> places = PhotoPlaces(rig);
        ASSERT_EQ(places.size(), photos.size());
        ASSERT_FALSE(places[2].isEmpty());
        EXPECT_TRUE(places[1].isEmpty() && places[3].isEmpty());
        const bool sharp = ServeUntilDrawn(Clock::now() + std::chrono::seconds(60), [&] {
            return ShowsLinesOfItsOwnPixels(rig.E().grab().toImage(), places[2], 13);
        });
        EXPECT_TRUE(sharp);
        QImage kept;
        // Kept at its own size: for anyone, not only for the views.
        ASSERT_EQ(PicturePreparer().Look(third, kept), TPicturePreparer::TState::Ready);
        EXPECT_EQ(kept.size(), QSize(6000, 4000));
        EXPECT_LE(PreparationsOf(photos)[2], 2);

        // The view left still and painted whole again and again, its events served: nothing starts.
        const TPreparerCounts before = PicturePreparer().Counts();
        const std::vector<int> prepared = PreparationsOf(photos);
        for (int paint = 0; paint < 4; ++paint) {
            rig.E().Invalidate();
            ASSERT_TRUE(WaitForPictures(std::chrono::seconds(30)));
            EXPECT_FALSE(PicturePreparer().Busy());
        }
        EXPECT_EQ(PicturePreparer().Counts().Started, before.Started);
        EXPECT_EQ(PicturePreparer().Counts().Evicted, before.Evicted);
        EXPECT_EQ(PreparationsOf(photos), prepared);
        EXPECT_TRUE(ShowsLinesOfItsOwnPixels(rig.E().grab().toImage(), places[2], 13));
        if (HasFailure()) {
            return;
        }
    }
}
