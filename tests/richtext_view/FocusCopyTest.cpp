#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/Clipboard.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

#include <memory>

namespace {

// A viewer between two line edits, shown and active.
struct Form {
    TRNStyle Sheet;
    QWidget Window;
    QLineEdit* Before = new QLineEdit(&Window);
    TRichNote* Note = new TRichNote(&Window);
    QLineEdit* After = new QLineEdit(&Window);
    TImageList Images{16, 16};
    std::vector<int> Jumps;

    Form() {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Before);
        layout->addWidget(Note);
        layout->addWidget(After);
        Note->SetStyle(&Sheet);
        Note->setMinimumSize(200, 60);
        Note->SetTabStop(true);
        Note->Events().OnJump = [this](IRichNoteHost&, int id) { Jumps.push_back(id); };
        TBitmap strip(32, 16);
        Images.Add(strip);
    }
    void Show() {
        Note->Format();
        Window.show();
        QApplication::setActiveWindow(&Window);
        Note->setFocus();
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QApplication::processEvents();
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    int FocusedItem() const { return Note->RNData().TopLevelFocusedItemNo; }
};

TEST(Focus, TabLeavesADocumentWithoutFocusableItems) {
    Form form;
    form.Note->AddNL("nothing to focus", 0, 0);
    form.Show();
    ASSERT_EQ(form.Focused(), form.Note);
    form.Key(Qt::Key_Tab);
    EXPECT_EQ(form.Focused(), form.After);
    form.Note->setFocus();
    form.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(form.Focused(), form.Before);
}

TEST(Focus, HotspotsTakeTheFocusInTurnThenTheNextControl) {
    Form form;
    form.Note->AddHotspotEx("one", 0, 1, &form.Images, 0);
    for (int i = 0; i < 12; ++i) {
        form.Note->AddNL("filler line", 0, 0);
    }
    form.Note->AddHotspotEx("two", 0, 1, &form.Images, 0);
    form.Show();
    // Taking the focus from outside went to the first hotspot.
    EXPECT_EQ(form.FocusedItem(), 0);
    form.Key(Qt::Key_Tab);
    EXPECT_EQ(form.FocusedItem(), 13);
    int left = 0, top = 0;
    ASSERT_TRUE(form.Note->RNData().GetItemClientCoords(13, left, top));
    EXPECT_GE(top, 0);
    EXPECT_LE(top + 16, form.Note->ClientHeight());
    form.Key(Qt::Key_Return);
    EXPECT_EQ(form.Jumps, std::vector<int>{1});
    form.Key(Qt::Key_Tab);
    EXPECT_EQ(form.Focused(), form.After);
}

TEST(Focus, TheFocusRectangleDrawnTwiceLeavesThePixels) {
    Form form;
    form.Note->AddNL("text", 0, 0);
    form.Note->AddHotspotEx("one", 0, 1, &form.Images, -1);
    form.Show();
    TRichNoteRNData& data = form.Note->RNData();
    ASSERT_EQ(data.TopLevelFocusedItemNo, 1);
    TBitmap surface(100, 40);
    surface.Canvas().Brush().SetColor(clWhite);
    surface.Canvas().FillRect(Rect(0, 0, 100, 40));
    const QImage before = surface.Image().copy();
    data.DrawFocusedRect(surface.Canvas());
    EXPECT_NE(surface.Image(), before);
    data.DrawFocusedRect(surface.Canvas());
    EXPECT_EQ(surface.Image(), before);
    // Without draw items there is nothing to draw around.
    data.DrawItems.Clear();
    data.DrawFocusedRect(surface.Canvas());
    EXPECT_EQ(surface.Image(), before);
    // Freeing the focused item ends the focus path.
    data.FreeItem(1);
    data.Items().erase(data.Items().begin() + 1);
    EXPECT_EQ(data.TopLevelFocusedRNData, nullptr);
    EXPECT_EQ(data.TopLevelFocusedItemNo, -1);
}

// Records what a copy hands over.
class RecordingClipboard : public IClipboardWriter {
public:
    std::vector<std::string> Calls;
    std::map<std::string, std::string> Formats;
    int Published = 0;

    void Begin() override {
        Calls.clear();
        Formats.clear();
    }
    void SetFormat(const std::string& mime, std::string bytes) override {
        Calls.push_back(mime);
        Formats[mime] = std::move(bytes);
    }
    void SetUnicodeText(std::string utf16) override {
        Calls.push_back("text");
        Formats["text"] = std::move(utf16);
    }
    void SetImage(const TGraphic&) override { Calls.push_back("image"); }
    void Publish() override { ++Published; }
};

struct Copying {
    TRNStyle Sheet;
    TRichNote Note;
    RecordingClipboard Clipboard;
    Copying() {
        Note.SetStyle(&Sheet);
        Note.resize(300, 100);
        Note.RNData().Clipboard = &Clipboard;
    }
    // Paragraphs of the note, formatted, with the selection from `first` to `last` of item 0
    // of the last one.
    void Select(const std::vector<std::string>& paras, int first, int last) {
        for (const std::string& text : paras) {
            Note.AddNL(text, 0, 0);
        }
        Note.Format();
        const int item = static_cast<int>(paras.size()) - 1;
        Note.SetSelectionBounds(item, first, item, last);
    }
};

// Reads bytes of the notes format, or RTF, into `note`.
bool Load(TRichNote& note, std::string_view bytes, bool rtf = false) {
    TMemoryStream stream;
    stream.WriteString(bytes);
    stream.Seek(0, TSeekOrigin::soBeginning);
    return rtf ? note.LoadRTFFromStream(stream) : note.LoadRNFFromStream(stream);
}

TEST(Copy, TheNotesFormatIsItsLengthThenTheBytesAndPastesBack) {
    // The text is sized so that the selection's RNF is exactly 1000 bytes.
    auto selectionRNF = [](int length) {
        Copying c;
        c.Select({"head", std::string(length, 'q')}, 1, length + 1);
        TMemoryStream stream;
        c.Note.RNData().SaveRNFToStream(stream, true, clNone, nullptr);
        return static_cast<int>(stream.Size());
    };
    const int length = 500 + 1000 - selectionRNF(500);
    ASSERT_EQ(selectionRNF(length), 1000);
    Copying c;
    c.Select({"head", std::string(length, 'q')}, 1, length + 1);
    c.Note.Copy();
    EXPECT_EQ(c.Clipboard.Calls,
              (std::vector<std::string>{"application/x-richnote", "text/plain;charset=windows-1252",
                                        "text", "text", "text/rtf"}));
    const std::string& rnf = c.Clipboard.Formats["application/x-richnote"];
    ASSERT_EQ(rnf.size(), 1004u);
    EXPECT_EQ(rnf.substr(0, 4), std::string("\xE8\x03\x00\x00", 4));
    TRichNote pasted;
    pasted.SetStyle(&c.Sheet);
    ASSERT_TRUE(Load(pasted, std::string_view(rnf).substr(4)));
    ASSERT_EQ(pasted.GetLineCount(), 1);
    EXPECT_EQ(pasted.GetItemText(0), std::string(length, 'q'));

    // Without formats or a handler CopyDef answers false and copies nothing.
    Copying none;
    none.Select({"hello world"}, 1, 6);
    none.Note.Options = {};
    EXPECT_FALSE(none.Note.CopyDef());
    EXPECT_TRUE(none.Clipboard.Calls.empty());
    EXPECT_EQ(none.Clipboard.Published, 0);
}

TEST(Copy, APartOfATextItemCopiesExactlyItsCharacters) {
    for (const std::u16string& text :
         {std::u16string(u"hello world"), std::u16string(u"мир привет")}) {
        Copying c;
        c.Sheet.TextStyles()[0].Unicode = true;
        c.Note.AddNLWTag(text, 0, 0, {});
        c.Note.Format();
        c.Note.SetSelectionBounds(0, 3, 0, 8);
        c.Note.Copy();
        const std::u16string slice = text.substr(2, 5);
        EXPECT_EQ(c.Clipboard.Formats["text"], RNU_U16ToBytes(slice));
        TRichNote pasted;
        TRichNote fromRtf;
        fromRtf.GetRTFReadProperties()->UnicodeMode = TRNReaderUnicode::rnruOnlyUnicode;
        for (TRichNote* back : {&pasted, &fromRtf}) {
            back->SetStyle(&c.Sheet);
        }
        ASSERT_TRUE(Load(
            pasted, std::string_view(c.Clipboard.Formats["application/x-richnote"]).substr(4)));
        ASSERT_TRUE(Load(fromRtf, c.Clipboard.Formats["text/rtf"], true));
        for (TRichNote* back : {&pasted, &fromRtf}) {
            back->Format();
            back->SelectAll();
            EXPECT_EQ(back->GetSelTextW(), slice);
        }
    }
}

TEST(Copy, TextGoesOutAlsoAsEightBitTextInTheSheetsCodePage) {
    struct Case {
        int codePage;
        std::u16string text;
        std::string mime;
        std::string bytes;
    };
    const Case cases[] = {
        {1251, u"\u043c\u0438\u0440", "text/plain;charset=windows-1251", "\xEC\xE8\xF0"},
        {1252, u"caf\u00e9", "text/plain;charset=windows-1252", "caf\xE9"},
        {0, u"na\u00efve", "text/plain;charset=windows-1252", "na\xEFve"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.mime);
        Copying c;
        c.Sheet.DefCodePage = k.codePage;
        c.Sheet.TextStyles()[0].Unicode = true;
        c.Note.AddNLWTag(k.text, 0, 0, {});
        c.Note.Format();
        c.Note.SelectAll();
        c.Note.CopyText();
        EXPECT_EQ(c.Clipboard.Formats[k.mime], k.bytes);
        EXPECT_EQ(c.Clipboard.Formats["text"], RNU_U16ToBytes(k.text));
        EXPECT_EQ(c.Clipboard.Published, 1);
    }
    // On the system clipboard both stand side by side.
    Copying c;
    TClipboard system;
    c.Note.RNData().Clipboard = &system;
    c.Sheet.DefCodePage = 1251;
    c.Sheet.TextStyles()[0].Unicode = true;
    c.Note.AddNLWTag(u"\u0434\u0430", 0, 0, {});
    c.Note.Format();
    c.Note.SelectAll();
    c.Note.Copy();
    EXPECT_EQ(TClipboard::GetBytes("text/plain;charset=windows-1251"), "\xE4\xE0");
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xD0\xB4\xD0\xB0"));
}

TEST(Copy, TheSystemClipboardKeepsItsContentWhenACopyFails) {
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    TClipboard system;
    struct Failing : IClipboardWriter {
        TClipboard& Inner;
        explicit Failing(TClipboard& inner) : Inner(inner) {}
        void Begin() override { Inner.Begin(); }
        void SetFormat(const std::string& mime, std::string bytes) override {
            if (mime == CF_RTF_MIME) {
                throw ERichNoteError("No memory");
            }
            Inner.SetFormat(mime, std::move(bytes));
        }
        void SetUnicodeText(std::string utf16) override { Inner.SetUnicodeText(std::move(utf16)); }
        void SetImage(const TGraphic& g) override { Inner.SetImage(g); }
        void Publish() override { Inner.Publish(); }
    } failing(system);
    Copying c;
    c.Note.RNData().Clipboard = &failing;
    c.Select({"hello world"}, 1, 6);
    EXPECT_THROW(c.Note.Copy(), ERichNoteError);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    c.Note.RNData().Clipboard = &system;
    c.Note.Copy();
    EXPECT_EQ(TClipboard::GetUnicodeText(), RNU_U16ToBytes(u"hello"));
    EXPECT_TRUE(TClipboard::HasFormat(CF_RICHNOTE_MIME));
    EXPECT_EQ(TClipboard::GetBytes(CF_RTF_MIME).substr(0, 5), "{\\rtf");
}

} // namespace
