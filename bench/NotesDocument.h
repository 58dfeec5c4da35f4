#pragma once

// The notes document of the rich-text benchmarks: paragraphs of about 100 bytes in four text
// styles with a picture every 50 paragraphs (10,000 paragraphs make 1 MB), and the same
// paragraphs in a QTextDocument with the same fonts, for Qt's own layout and painting.

#include "bench/BenchApplication.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNDataList.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>

#include <iterator>
#include <memory>

namespace bench {

constexpr int PictureEvery = 50;
constexpr int PictureSize = 32;

struct Run {
    const char* Text;
    int Style;
};
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

// The application `main` made (TARNWICK_BENCHMARK_MAIN), for benchmarks that make widgets.
inline QApplication& WidgetApp() {
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

inline QGuiApplication& App() {
    return *qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

// A document of the given view size, scrolled to VOffs.
class NotesView : public TRNItemFormattedData {
public:
    NotesView(TRNDataList* list, int width, int height)
        : TRNItemFormattedData(list), width_(width), height_(height) {}
    int GetWidth() const override { return width_; }
    int GetHeight() const override { return height_; }
    int GetVOffs() const override { return VOffs; }
    TColor GetColor() const override { return clWindow; }
    TCanvas* GetCanvas() const override {
        return Canvas ? Canvas : TRNItemFormattedData::GetCanvas();
    }
    int VOffs = 0;
    // What a partial reformat measures with.
    TCanvas* Canvas = nullptr;

private:
    int width_;
    int height_;
};

struct Notes {
    TRNStyle Sheet;
    TRNPlainRootData Root;
    TRNDataList List{&Root};
    NotesView* Doc = nullptr;

    Notes(int paragraphs, int width, int height) {
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
        Doc = static_cast<NotesView*>(List.Add(std::make_unique<NotesView>(&List, width, height)));
        for (int p = 0; p < paragraphs; ++p) {
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

inline QTextCharFormat CharFormat(const StyleLook& look) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(look.Size * 96 / 72);
    font.setBold(look.Bold);
    font.setItalic(look.Italic);
    QTextCharFormat format;
    format.setFont(font);
    return format;
}

inline void FillTextDocument(QTextDocument& doc, int paragraphs) {
    doc.setDocumentMargin(0);
    QImage picture(PictureSize + 2, PictureSize + 2, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    doc.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture")), picture);
    QTextCursor cursor(&doc);
    QTextCharFormat formats[4];
    for (int i = 0; i < 4; ++i) {
        formats[i] = CharFormat(Looks[i]);
    }
    for (int p = 0; p < paragraphs; ++p) {
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
}

} // namespace bench
