#pragma once

// The six editors the side bar places over a property value. Each knows the item it edits
// and the value Escape brings back. Their keys, double clicks, changes and exits reach the
// bar through TShelfBarEditors.

#include "controls/ShelfBarPanels.h"
#include "controls/ShelfEdits.h"
#include "controls/ShelfEditsCombo.h"

#include <QObject>

class TShelfBar;

template <typename Base, typename Orig> class TShelfBarEditor : public Base {
public:
    explicit TShelfBarEditor(QWidget* parent) : Base(parent) {}
    TShelfItem* ShelfItem = nullptr;
    Orig OrigValue{};
};

enum class TShelfEditType { ieText, ieInteger, ieFloat };

// Whether `key` may be typed into a value of `type` that holds `text`: whole numbers take
// backspace, "-" and digits; decimal numbers also one decimal separator.
bool ShelfEditAccepts(TShelfEditType type, char16_t key, const std::string& text,
                      char decimalSeparator);

class TShelfEdit : public TShelfBarEditor<QLineEdit, std::string> {
public:
    using TShelfBarEditor::TShelfBarEditor;
    TShelfEditType ShelfEditType = TShelfEditType::ieText;
    // Empty for none; see QtInputMask.
    void SetEditMask(const std::string& mask);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class TShelfCombo : public TShelfBarEditor<TShelfComboBox, std::string> {
public:
    using TShelfBarEditor::TShelfBarEditor;
};

class TShelfColorCombo : public TShelfBarEditor<TShelfColorComboBox, TColor> {
public:
    using TShelfBarEditor::TShelfBarEditor;
};

class TShelfSpin : public TShelfBarEditor<TShelfSpinEdit, std::string> {
public:
    using TShelfBarEditor::TShelfBarEditor;
};

class TShelfBarEditBtn : public TShelfBarEditor<TShelfEditBtn, std::string> {
public:
    using TShelfBarEditor::TShelfBarEditor;
};

class TShelfBarDateTimePicker : public TShelfBarEditor<TShelfDateTimePicker, TDateTime> {
public:
    using TShelfBarEditor::TShelfBarEditor;
};

// Owns the editors (children of the bar) and routes their events to it.
struct TShelfBarEditors : QObject {
    explicit TShelfBarEditors(TShelfBar& bar);
    ~TShelfBarEditors() override;

    TShelfEdit* Edit;
    TShelfCombo* Combo;
    TShelfColorCombo* ColorCombo;
    TShelfSpin* Spin;
    TShelfBarEditBtn* EditBtn;
    TShelfBarDateTimePicker* DateTimePicker;

    // The editor of a property type; null for those edited without one.
    QWidget* EditorFor(TPropertyType type) const;
    // Brings back the value an edit started with (or last committed).
    void Restore(QWidget* editor);
    void HideAll();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The editor `watched` belongs to (itself or its child), or null.
    QWidget* EditorOf(QObject* watched) const;

    TShelfBar& bar_;
    bool closing_ = false;
};
