#pragma once

// A notes editor in a shown, active window, with helpers that drive it by Qt events and
// compare its document as RNF bytes.

#include "platform/base/Stream.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"
#include "tests/support/TextTagsRun.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Adds a hypertext style looking like style 0 to the editor's sheet; answers its number.
inline int AddLinkStyle(TRichNoteEdit& e) {
    TFontInfos& styles = e.Style()->TextStyles();
    const int link = e.Style()->AddTextStyle();
    styles[link].Assign(styles[0]);
    styles[link].Jump = true;
    return link;
}

// An editor in a shown, active window, by default with one paragraph of text; the caret is
// at the end of the first item.
struct EditForm {
    TRNStyle Sheet;
    QWidget Window;
    TRichNoteEdit* Edit = new TRichNoteEdit(&Window);
    int Changes = 0;

    explicit EditForm(const std::string& text = "xy")
        : EditForm([&text](TRichNoteEdit& e) {
              if (!text.empty()) {
                  e.AddNL(text, 0, 0);
              }
          }) {}
    explicit EditForm(const std::function<void(TRichNoteEdit&)>& build) {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Edit);
        Sheet.TextStyles()[0].Size = 12;
        Edit->SetStyle(&Sheet);
        UseTextTagsIfAsked(*Edit);
        Edit->setMinimumSize(300, 120);
        Edit->OnChange = [this](TRichNoteEdit&) { ++Changes; };
        Edit->EditData().OnBeep = [this] { ++Beeps; };
        build(*Edit);
        Edit->Format();
        Window.show();
        QApplication::setActiveWindow(&Window);
        Edit->setFocus();
        QApplication::processEvents();
        if (D().ItemCount() > 0) {
            Caret(0, D().GetOffsAfterItem(0));
        }
    }
    int Beeps = 0;
    TRNEditRNData& D() { return Edit->EditData(); }
    void Caret(int itemNo, int offs) { D().SetCaretAtItem(itemNo, offs); }
    std::string Rnf() {
        TMemoryStream stream;
        D().SaveRNFToStream(stream, false, clNone, nullptr);
        return stream.Bytes();
    }
    std::string Text() {
        TMemoryStream stream;
        D().SaveTextToStream("", stream, 0, false, true, false);
        return stream.Bytes();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(Edit, &press);
        QApplication::processEvents();
    }
    void Type(const QString& text) {
        for (QChar c : text) {
            Key(Qt::Key_A, Qt::NoModifier, QString(c));
        }
    }
    // What a window shortcut sees first: the override event.
    bool Claimed(int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent over(QEvent::ShortcutOverride, key, modifiers);
        over.ignore();
        QApplication::sendEvent(Edit, &over);
        return over.isAccepted();
    }
    int UndoCount() { return D().UndoList().Count(); }
    void Undo() { Edit->Undo(); }
    void Redo() { Edit->Redo(); }
    // Inserts `bytes` at the caret through a stream command of the editor.
    bool InsertFrom(bool (TRichNoteEdit::*insert)(TStream&), std::string_view bytes) {
        TMemoryStream stream;
        stream.WriteString(bytes);
        stream.Seek(0, TSeekOrigin::soBeginning);
        return (Edit->*insert)(stream);
    }
};

// The RNF bytes of a note on a 12-point sheet that `build` fills.
inline std::string RnfOf(const std::function<void(TRichNoteEdit&)>& build) {
    TRNStyle sheet;
    sheet.TextStyles()[0].Size = 12;
    TRichNoteEdit source;
    source.SetStyle(&sheet);
    build(source);
    TMemoryStream stream;
    source.RNData().SaveRNFToStream(stream, false, clNone, nullptr);
    return stream.Bytes();
}

inline void Offer(const std::vector<std::pair<QString, QByteArray>>& formats) {
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : formats) {
        data->setData(type, bytes);
    }
    QApplication::clipboard()->setMimeData(data);
}

// Runs `edit` on an editor fixture and checks the four states: the edit changes the document,
// Undo gives the bytes before and Redo the bytes after. Answers the bytes after.
template <class Fixture> std::string UndoRedo(Fixture& f, const std::function<void()>& edit) {
    const std::string before = f.Rnf();
    edit();
    const std::string after = f.Rnf();
    EXPECT_NE(after, before);
    f.Undo();
    EXPECT_EQ(f.Rnf(), before);
    f.Redo();
    EXPECT_EQ(f.Rnf(), after);
    return after;
}

// The items in order: text in quotes, other items by kind; "|" marks a paragraph start and
// "/" a line break.
inline std::string Describe(EditForm& f) {
    TRNEditRNData& d = f.D();
    std::string out;
    for (int i = 0; i < d.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = d.GetItem(i);
        out += item.GetSameAsPrev() ? " " : item.GetBR() ? "/" : "|";
        if (item.IsText()) {
            out += "'" + d.GetItemText(i) + "'";
        } else if (dynamic_cast<const TRNHotspotItemInfo*>(&item)) {
            out += "hotspot";
        } else if (dynamic_cast<const TRNBulletItemInfo*>(&item)) {
            out += "bullet";
        } else if (dynamic_cast<const TRNGraphicItemInfo*>(&item)) {
            out += "picture:" + d.GetItemText(i);
        } else if (dynamic_cast<const TRNBreakItemInfo*>(&item)) {
            out += "break";
        } else if (dynamic_cast<const TRNControlItemInfo*>(&item)) {
            out += "control:" + d.GetItemText(i);
        }
        if (item.GetPageBreakBefore()) {
            out += "(page)";
        }
    }
    return out;
}
