// The table's and the cells' properties by name: what undo records and the editor's property
// changes set, with how much of the document each change makes to be laid out again.

#include "richtext/model/RNError.h"
#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableUndo.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"

#include <cstring>

namespace {

// Stores to any of the integer-like fields of the table.
struct TableProp {
    const char* Name;
    bool AffectSize;
    bool AffectWidth;
    int (*Get)(const TRNTableItemInfo&);
    void (*Set)(TRNTableItemInfo&, int);
};

#define RN_INT_PROP(field, size, width)                                                            \
    TableProp {                                                                                    \
#field, size, width, [](const TRNTableItemInfo& t) { return static_cast<int>(t.field); }, \
            [](TRNTableItemInfo& t, int v) { t.field = static_cast<decltype(t.field)>(v); }        \
    }
#define RN_SET_PROP(field)                                                                         \
    TableProp {                                                                                    \
#field, true, true,                                                                      \
            [](const TRNTableItemInfo& t) { return static_cast<int>(t.field.Bits()); },          \
            [](TRNTableItemInfo& t, int v) {                                                     \
                t.field = decltype(t.field)(static_cast<uint32_t>(v));                           \
            }         \
    }

const TableProp TableProps[] = {
    RN_SET_PROP(Options),
    RN_SET_PROP(PrintOptions),
    RN_INT_PROP(BestWidth, true, true),
    RN_INT_PROP(Color, false, false),
    RN_INT_PROP(BorderWidth, true, true),
    RN_INT_PROP(BorderColor, false, false),
    RN_INT_PROP(BorderLightColor, false, false),
    RN_INT_PROP(BorderStyle, false, false),
    RN_INT_PROP(BorderVSpacing, true, false),
    RN_INT_PROP(BorderHSpacing, true, true),
    RN_INT_PROP(CellBorderWidth, true, true),
    RN_INT_PROP(CellBorderColor, false, false),
    RN_INT_PROP(CellBorderLightColor, false, false),
    RN_INT_PROP(CellPadding, true, true),
    RN_INT_PROP(CellBorderStyle, false, false),
    RN_INT_PROP(VRuleWidth, false, false),
    RN_INT_PROP(VRuleColor, false, false),
    RN_INT_PROP(HRuleWidth, false, false),
    RN_INT_PROP(HRuleColor, false, false),
    RN_INT_PROP(CellVSpacing, true, false),
    RN_INT_PROP(CellHSpacing, true, true),
    RN_INT_PROP(VOutermostRule, false, false),
    RN_INT_PROP(HOutermostRule, false, false),
};

#undef RN_INT_PROP
#undef RN_SET_PROP

const TableProp* FindTableProp(const std::string& name) {
    for (const TableProp& p : TableProps) {
        if (name == p.Name) {
            return &p;
        }
    }
    return nullptr;
}

struct CellProp {
    const char* Name;
    bool AffectSize;
    bool AffectWidth;
    int32_t TRNTableCellData::*Field;
};

const CellProp CellProps[] = {
    {"BestWidth", true, true, &TRNTableCellData::BestWidth},
    {"BestHeight", true, false, &TRNTableCellData::BestHeight},
    {"Color", false, false, &TRNTableCellData::Color},
};

const CellProp* FindCellProp(const std::string& name) {
    for (const CellProp& p : CellProps) {
        if (name == p.Name) {
            return &p;
        }
    }
    return nullptr;
}

[[noreturn]] void UnknownProperty(const std::string& name) {
    throw ERichNoteError("Unknown property " + name);
}

// Clears a flag for the duration and restores it on every way out.
class FlagOff {
public:
    explicit FlagOff(bool& flag) : flag_(flag), saved_(flag) { flag = false; }
    ~FlagOff() { flag_ = saved_; }
    FlagOff(const FlagOff&) = delete;
    FlagOff& operator=(const FlagOff&) = delete;

private:
    bool& flag_;
    bool saved_;
};

} // namespace

bool TRNTableCellData::GetIntProp(const std::string& name, int& value) const {
    const CellProp* p = FindCellProp(name);
    if (!p) {
        return false;
    }
    value = this->*(p->Field);
    return true;
}

void TRNTableCellData::SetIntProp(const std::string& name, int value) {
    const CellProp* p = FindCellProp(name);
    if (!p) {
        UnknownProperty(name);
    }
    this->*(p->Field) = value;
}

bool TRNTableItemInfo::GetIntProp(const std::string& name, int& value) const {
    const TableProp* p = FindTableProp(name);
    if (!p) {
        return false;
    }
    value = p->Get(*this);
    return true;
}

void TRNTableItemInfo::SetIntProp(const std::string& name, int value) {
    const TableProp* p = FindTableProp(name);
    if (!p) {
        UnknownProperty(name);
    }
    p->Set(*this, value);
}

bool TRNTableItemInfo::GetPropertyEffect(const std::string& name, bool& affectSize,
                                         bool& affectWidth) {
    const TableProp* p = FindTableProp(name);
    if (p) {
        affectSize = p->AffectSize;
        affectWidth = p->AffectWidth;
    }
    return p != nullptr;
}

bool TRNTableItemInfo::GetCellPropertyEffect(const std::string& name, bool& affectSize,
                                             bool& affectWidth) {
    const CellProp* p = FindCellProp(name);
    if (p) {
        affectSize = p->AffectSize;
        affectWidth = p->AffectWidth;
    }
    return p != nullptr;
}

void TRNTableItemInfo::SetNamed(const char* name, int value) {
    if (!InsertedInData) {
        SetIntProp(name, value);
        return;
    }
    bool affectSize = false, affectWidth = false;
    GetPropertyEffect(name, affectSize, affectWidth);
    SetProperty(name, value, affectSize, affectWidth);
}

void TRNTableItemInfo::SetProperty(const std::string& name, int value, bool affectSize,
                                   bool affectWidth) {
    IRNEditContext* editor = TCustomRNFormattedData::EditContextOf(Rows.MainRNData);
    const bool record = InsertedInData && InEditor && editor;
    {
        FlagOff off(InsertedInData);
        if (record) {
            editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
            editor->UndoTarget().Do_ModifyItemIntProperty(
                GetMyItemNo(), this, name, value, affectSize, affectWidth,
                MakeUndoProps<TRNUndoModifyItemIntProperty>);
        } else {
            SetIntProp(name, value);
        }
    }
    NeedsReformat = true;
}

void TRNTableItemInfo::SetCellProperty(int itemNo, const std::string& name, int value, int row,
                                       int col, bool affectSize, bool affectWidth) {
    TRNTableCellData* cell = Cells(row, col);
    if (!cell) {
        throw ERichNoteError("Invalid row or column index");
    }
    if (Rows.Journal) {
        Rows.Journal->NoteAttributes(row, col);
    }
    IRNEditContext* editor = TCustomRNFormattedData::EditContextOf(Rows.MainRNData);
    const bool record = InsertedInData && InEditor && editor;
    {
        FlagOff off(InsertedInData);
        if (record) {
            editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
            auto* record = dynamic_cast<TRNUndoModifyCellIntProperty*>(
                editor->UndoTarget().Do_ModifyItemIntProperty(
                    itemNo < 0 ? GetMyItemNo() : itemNo, cell, name, value, affectSize, affectWidth,
                    MakeUndoProps<TRNUndoModifyCellIntProperty>));
            if (record) {
                record->Row = row;
                record->Col = col;
            }
        } else {
            cell->SetIntProp(name, value);
        }
    }
    NeedsReformat = true;
}

void TRNTableItemInfo::SetCellBestWidth(TRNHTMLLength value, int row, int col) {
    SetCellProperty(-1, "BestWidth", value, row, col, true, true);
}

void TRNTableItemInfo::SetCellBestHeight(int value, int row, int col) {
    SetCellProperty(-1, "BestHeight", value, row, col, true, false);
}

void TRNTableItemInfo::SetCellColor(TColor value, int row, int col) {
    SetCellProperty(-1, "Color", value, row, col, false, false);
}

void TRNTableItemInfo::AssignCellAttributes(int itemNo, int row, int col,
                                            const TRNTableCellData& source, bool includeSize,
                                            int widthDivisor, int heightDivisor) {
    TRNTableCellData* cell = Cells(row, col);
    if (!cell) {
        throw ERichNoteError("Invalid row or column index");
    }
    if (Rows.Journal) {
        Rows.Journal->NoteAttributes(row, col);
    }
    IRNEditContext* editor = TCustomRNFormattedData::EditContextOf(Rows.MainRNData);
    if (!(InsertedInData && InEditor && editor)) {
        cell->AssignAttributesFrom(source, includeSize, widthDivisor, heightDivisor);
        NeedsReformat = true;
        return;
    }
    TRNIntPropList props{{"Color", static_cast<int>(source.Color)}};
    if (includeSize) {
        props.emplace_back("BestWidth", source.BestWidth / widthDivisor);
        props.emplace_back("BestHeight", source.BestHeight / heightDivisor);
    }
    {
        FlagOff off(InsertedInData);
        editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
        auto* record = dynamic_cast<TRNUndoModifyCellIntProperties*>(
            editor->UndoTarget().Do_ModifyItemIntProperties(
                itemNo < 0 ? GetMyItemNo() : itemNo, cell, props, includeSize, includeSize,
                MakeUndoProps<TRNUndoModifyCellIntProperties>));
        if (record) {
            record->Row = row;
            record->Col = col;
        }
    }
    NeedsReformat = true;
}
