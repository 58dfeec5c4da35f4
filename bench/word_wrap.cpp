// Word wrap of a 10,000-paragraph, 1 MB notes document in four text styles with a picture
// every 50 paragraphs, at 600 px: a full format on the fixed-metrics canvas, the same on the
// Qt canvas with Liberation Sans, and Qt's own QTextDocument laying out the same paragraphs
// with the same fonts and width in the same run.
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNDataList.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int Paragraphs = 10000;
constexpr int PictureEvery = 50;
constexpr int Width = 600;
constexpr int PictureSize = 32;

struct Run {
    const char* Text;
    int Style;
};
// About 100 bytes a paragraph.
constexpr Run Runs[] = {
    {"The binder keeps every page it captured ", 0},
    {"with its notes, ", 1},
    {"and the notes wrap at the window's width ", 2},
    {"as they are read.", 3},
};

struct StyleLook {
    const char* Font;
    int Size;
    bool Bold;
    bool Italic;
};
constexpr StyleLook Looks[] = {
    {"Arial", 10, false, false},
    {"Arial", 10, true, false},
    {"Arial", 12, false, true},
    {"Arial", 9, false, false},
};

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "bench_word_wrap";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

class Document : public TRNItemFormattedData {
public:
    using TRNItemFormattedData::TRNItemFormattedData;
    int GetWidth() const override { return Width; }
    int GetHeight() const override { return 400; }
    TColor GetColor() const override { return clWindow; }
};

struct Notes {
    TRNStyle Sheet;
    TRNPlainRootData Root;
    TRNDataList List{&Root};
    Document* Doc = nullptr;

    Notes() {
        while (Sheet.TextStyles().Count() < 4) {
            Sheet.AddTextStyle();
        }
        for (int i = 0; i < 4; ++i) {
            TFontInfo& font = Sheet.TextStyles()[i];
            font.FontName = Looks[i].Font;
            font.Size = Looks[i].Size;
            font.Style = {};
            if (Looks[i].Bold) {
                font.Style.Include(TFontStyle::fsBold);
            }
            if (Looks[i].Italic) {
                font.Style.Include(TFontStyle::fsItalic);
            }
        }
        Root.Style = &Sheet;
        Doc = static_cast<Document*>(List.Add(std::make_unique<Document>(&List)));
        for (int p = 0; p < Paragraphs; ++p) {
            for (size_t r = 0; r < std::size(Runs); ++r) {
                Doc->AddNL(Runs[r].Text, Runs[r].Style, r == 0 ? 0 : -1);
            }
            if (p % PictureEvery == 0) {
                Doc->AddPictureEx("picture", std::make_unique<TBitmap>(PictureSize, PictureSize),
                                  -1, TRNVAlign::rnvaBaseline);
            }
        }
    }
};

void Format(benchmark::State& state, TCanvas& canvas) {
    Notes notes;
    for (auto _ : state) {
        notes.Doc->Format_(false, true, false, 0, canvas, false);
        benchmark::DoNotOptimize(notes.Doc->DocumentHeight);
    }
    state.counters["draw_items"] = notes.Doc->DrawItems.Count();
    state.counters["height"] = notes.Doc->DocumentHeight;
}

void BM_FormatFakeCanvas(benchmark::State& state) {
    TFakeCanvas canvas;
    Format(state, canvas);
}
BENCHMARK(BM_FormatFakeCanvas)->Unit(benchmark::kMillisecond);

void BM_FormatQtCanvas(benchmark::State& state) {
    App();
    QImage image(Width, 400, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    Format(state, canvas);
}
BENCHMARK(BM_FormatQtCanvas)->Unit(benchmark::kMillisecond);

QTextCharFormat CharFormat(const StyleLook& look) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(look.Size * 96 / 72);
    font.setBold(look.Bold);
    font.setItalic(look.Italic);
    QTextCharFormat format;
    format.setFont(font);
    return format;
}

void BM_QTextDocumentLayout(benchmark::State& state) {
    App();
    QTextDocument doc;
    doc.setDocumentMargin(0);
    QImage picture(PictureSize + 2, PictureSize + 2, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture")), picture);
    QTextCursor cursor(&doc);
    QTextCharFormat formats[4];
    for (int i = 0; i < 4; ++i) {
        formats[i] = CharFormat(Looks[i]);
    }
    for (int p = 0; p < Paragraphs; ++p) {
        if (p > 0) {
            cursor.insertBlock();
        }
        for (const Run& run : Runs) {
            cursor.insertText(QString::fromLatin1(run.Text), formats[run.Style]);
        }
        if (p % PictureEvery == 0) {
            cursor.insertImage(QStringLiteral("picture"));
        }
    }
    doc.setTextWidth(Width);
    for (auto _ : state) {
        doc.markContentsDirty(0, doc.characterCount());
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
    state.counters["height"] = doc.documentLayout()->documentSize().height();
}
BENCHMARK(BM_QTextDocumentLayout)->Unit(benchmark::kMillisecond);

} // namespace
