#pragma once

// The editor laid over one table cell while the user types in it. The cell's items live in the
// editor's document while it is open and go back into the cell when it closes; the editor's
// undo and redo history then becomes one step of the document's own lists. The editor talks to
// itself through posted messages, so that it can be replaced by an editor on another cell from
// inside its own event handling.

#include "platform/base/Exceptions.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RNEdit.h"

#include <functional>

// Move to a neighbouring cell (wParam: a TRNCellDirection), undo and redo inside the editor.
inline constexpr uint32_t WM_RNMOVEEDITOR = WM_USER + 10;
inline constexpr uint32_t WM_RNINPLACEUNDO = WM_USER + 11;
inline constexpr uint32_t WM_RNINPLACEREDO = WM_USER + 12;
// The editor frees itself.
inline constexpr uint32_t CM_RELEASE = 0xB000 + 33;

class ERNTableInplaceError : public Exception {
public:
    using Exception::Exception;
};

class TRNTableInplaceEdit;
class TRNTableInplaceSeam;

// The cell editor open over a cell of the table; null when none is. Only the controls open
// one, so the editor the table holds is always theirs.
TRNTableInplaceEdit* CellEditorOf(const TRNTableItemInfo& table);

class TRNTableInplaceRNData : public TRNEditRNData {
public:
    TRNTableInplaceRNData(IRichNoteHost& richNote, TRNTableInplaceEdit& editor);

    // Set whenever the document area gets a size: the cell may have to grow or shrink.
    bool WasResized = false;

    void SetDocumentAreaSize(int width, int height, bool redraw) override;
    void Formatted(int firstItemNo, int lastItemNo, bool partial) override;
    // Scrolling to a place in the cell scrolls the document that holds the table.
    void ShowRectangle(int x, int y, int width, int height) override;
    // The cell's links are numbered on from those of the document that holds the table:
    // building (clearing) the editor's links builds (clears) that document's, which builds
    // the editor's own through the table (ReallyBuildJumpsCoords).
    using TRNEditRNData::BuildJumpsCoords;
    void BuildJumpsCoords() override;
    void ClearJumpsCoords() override;
    void ReallyBuildJumpsCoords() { TRNEditRNData::BuildJumpsCoords(); }

private:
    TRNTableInplaceEdit& editor_;
};

class TRNTableInplaceEdit : public TRichNoteEdit {
public:
    explicit TRNTableInplaceEdit(QWidget* parent);
    ~TRNTableInplaceEdit() override;

    TRichNoteDataClass GetDataClass() const override;
    // The editor closes with the editor it lies on.
    void CloseWithHolder(bool clearing) override;
    TRNTableInplaceRNData& InplaceData() { return static_cast<TRNTableInplaceRNData&>(RNData()); }

    TRichNoteRNData* ParentRNData = nullptr;
    TRNTableItemInfo* Table = nullptr;
    // The table's side of the editor, and the viewer control the editor lies on.
    TRNTableInplaceSeam* Seam = nullptr;
    TRichNote* Host = nullptr;
    // The editor goes with its document: the content returns to the cell without formatting
    // or repainting.
    bool Clearing = false;
    std::function<void(TRNTableInplaceEdit&)> OnFormatted;
    TColor SavedColor = clNone;
    // A cell selection started in this editor and the button is still down.
    bool Selecting = false;
    std::function<void(TRNTableInplaceEdit&, bool clearRedo)> OnCellChange;
    int32_t ItemNo = -1;
    TRNTableCellData* Cell = nullptr;
    int32_t Row = -1;
    int32_t Col = -1;

    void SetCell(int row, int col, TRNTableItemInfo* table, int padding);
    void SetParentRNData(TRichNoteRNData* rnData);
    // The editor never scrolls itself: it is as large as its cell.
    void SetVPos(int, bool) override {}
    void SetHPos(int) override {}
    void SetClearingState() { Clearing = true; }
    // Whether the document area got a new size since the last call.
    bool Resized();
    // The cell selection covers (or no longer covers) this cell.
    void SelectCompletely(bool select);
    TRNRTFReaderProperties* GetRTFReadProperties() override;
    bool RTFReaderAssigned() const override;
    void DoChange(bool clearRedo) override;
    // With nothing to undo (redo) here, the step is the document's own.
    void Undo();
    void Redo();

    // The editor that holds the table, when it is one.
    TRichNoteEdit* MainEditor() const;
    // Gives back content and history and leaves the table; the object itself may live on
    // until it is freed.
    void Detach();
    bool IsDetached() const { return detached_; }
    // A press the table passes on when it opened the editor under the mouse: the editor takes
    // the mouse until the button goes up.
    void TakeMouse(TMouseButton button, TShiftState shift, int x, int y);
    // A client point in the client coordinates of the control that holds the table.
    TPoint ToParent(int x, int y) const;

protected:
    // The document needs the editor itself, not only its host.
    std::unique_ptr<TRichNoteRNData> CreateData() override;
    bool event(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void WMMoveEditor(TRNCellDirection direction);
    void FallThrough(bool redo);

    bool detached_ = false;
};

// The viewer control a viewer's root document is shown on; null for any other document.
TRichNote* ViewerOf(TCustomRNData* rnData);
// Whether one of a cell editor's own event handlers is running (in it or in an editor inside
// it): it is then freed only once the handler has returned.
bool IsBusyCellEditor(const QWidget& editor);
// Whether the document belongs to a viewer control on which a cell editor can be laid.
bool HasCellEditorHost(TCustomRNData* rnData);
