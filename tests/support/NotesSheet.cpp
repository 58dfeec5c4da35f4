#include "tests/support/NotesSheet.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"

void BuildNotesEditorNote(TNotesDocument& d) {
    QImage pixels(5, 3, QImage::Format_RGB32);
    pixels.fill(qRgb(0x23, 0, 0x23)); // "#" and NUL bytes inside the picture
    pixels.setPixel(1, 1, qRgb(0, 0, 0));
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->SetImage(pixels);
    d.AddNamedCheckpointEx("start", false);
    d.AddNL("Title", 1, 6);
    d.AddNL("Body text", 0, 7);
    d.AddNL("more", 0, 7);
    d.AddNLWTag(u"\u041F\u0440\u0438\u0432\u0435\u0442\u2029", 11, -1, {}); // kept as "?"
    d.AddNamedCheckpointEx("middle", true);
    d.AddNL("next page", 3, 4);
    d.SetPageBreaksBeforeItems(d.ItemCount() - 1, true);
    d.AddNL("a line", 3, 4);
    d.GetItem(d.ItemCount() - 1).SetBR(true);
    d.AddBreakEx(3, TRNBreakStyle::rnbsLine, clBlue);
    d.AddPictureEx("bmp", std::make_unique<TBitmap>(pixels), 0, TRNVAlign::rnvaMiddle);
    d.AddPictureEx("jpg", std::move(jpeg), -1, TRNVAlign::rnvaBaseline);
    d.AddNL("last", 0, 0);
    d.AddNamedCheckpointEx("end", false);
}
