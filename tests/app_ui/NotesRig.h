#pragma once

// The notes commands on a page of their own, over a host and prompts that record what they
// are asked, with helpers to fill the editor and read its document.

#include "app/binder/PageInfo.h"
#include "app/ui/NodeImages.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/Stream.h"
#include "platform/graphics/ImageList.h"
#include "richtext/view/RNEdit.h"

#include <QApplication>
#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

struct FakeNotesHost : INotesHost {
    TTreeNode* SelectedNode() const override { return Selected; }
    void SetEditedNode(TTreeNode* node) override { Edited = node; }
    void SetBinderDirty() override { Dirty = true; }
    // As the binder does: the note goes into the record, the binder is changed and written.
    void StoreNote(TTreeNode* node, std::string_view note) override {
        if (TPageInfo* record = NodeRecord(node)) {
            record->Notes.Clear();
            record->Notes.AppendRaw(note.data(), note.size());
        }
        Dirty = true;
        ++TreeWrites;
    }
    void modifysb(int panel, const std::string& text, int) override { Panels[panel] = text; }
    bool NotesPageActive() const override { return true; }
    bool WindowVisible() const override { return true; }

    TTreeNode* Selected = nullptr;
    TTreeNode* Edited = nullptr;
    bool Dirty = false;
    int TreeWrites = 0;
    std::map<int, std::string> Panels;
};

struct FakeNotesPrompts : INotesPrompts {
    std::optional<TColor> ChooseColor(TColor) override { return Color; }
    std::optional<TNoteFileChoice> OpenFile(const std::string&, const std::string&) override {
        return File;
    }
    std::optional<TNoteFileChoice> SaveFile(const std::string&, const std::string&,
                                            const std::string&) override {
        return File;
    }
    bool PrinterSetup() override { return true; }
    void Message(const std::string& text, const std::string& caption, TNoteMessageIcon) override {
        Messages.push_back(text + "|" + caption);
    }
    // Fills in a form and answers whether it was confirmed; unanswered forms are cancelled.
    bool ShowModal(QDialog& form) override {
        ++Forms;
        return Form ? Form(form) : false;
    }

    std::optional<TColor> Color;
    std::optional<TNoteFileChoice> File;
    std::vector<std::string> Messages;
    std::function<bool(QDialog&)> Form;
    int Forms = 0;
};

// Moves the caret as a click or a key does.
inline void MoveCaret(TRichNoteEdit& edit, int itemNo, int offs) {
    edit.EditData().SetCaretAtItem(itemNo, offs);
    edit.EditData().ChangeCaret(false, true, false, false);
}

// Paragraphs of text, each in its text and paragraph style; the caret at the start.
inline void FillNote(TRichNoteEdit& edit,
                     const std::vector<std::tuple<std::string, int, int>>& paragraphs) {
    edit.Clear();
    for (const auto& [text, style, para] : paragraphs) {
        edit.AddNL(text, style, para);
    }
    edit.Format();
    MoveCaret(edit, 0, 1);
}

// The note in the editor as the notes file holds it.
inline std::string NoteBytes(TRichNoteEdit& edit) {
    TMemoryStream stream;
    edit.SaveRNFToStream(stream, false);
    return stream.Bytes();
}

struct NotesRig {
    NotesRig() {
        FillMainImages(Images);
        Page.resize(700, 400);
        Notes = std::make_unique<TNotesCommands>(Page, Host, Prompts, Images);
        Page.show();
        QApplication::setActiveWindow(&Page);
        QApplication::processEvents();
    }
    ~NotesRig() { Notes.reset(); }

    TRichNoteEdit& E() { return Notes->RichNoteEdit1(); }
    TRNEditRNData& D() { return E().EditData(); }
    TRNStyle& Sheet() { return Notes->rns(); }
    void Fill(const std::vector<std::tuple<std::string, int, int>>& paragraphs) {
        FillNote(E(), paragraphs);
    }
    void Caret(int itemNo, int offs) { MoveCaret(E(), itemNo, offs); }
    // Selects the whole of an item.
    void SelectItem(int itemNo) {
        E().SetSelectionBounds(itemNo, 1, itemNo,
                               static_cast<int>(D().GetItemText(itemNo).size()) + 1);
    }
    std::string Rnf() { return NoteBytes(E()); }
    int Styles() { return Sheet().TextStyles().Count(); }
    const TFontInfo& ItemStyle(int itemNo) {
        return Sheet().TextStyles()[D().GetItemStyle(itemNo)];
    }

    QWidget Page;
    FakeNotesHost Host;
    FakeNotesPrompts Prompts;
    TImageList Images;
    std::unique_ptr<TNotesCommands> Notes;
};
