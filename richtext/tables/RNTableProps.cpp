// The table's and the cells' properties by name: what undo records and the editor's property
// changes set, with how much of the document each change makes to be laid out again.

#include "richtext/model/RNError.h"
#include "richtext/model/RNStoredProps.h"
#include "richtext/tables/RNTable.h"
#include "richtext/tables/RNTableUndo.h"
#include "richtext/view/RNERNData.h"

#include <string_view>

namespace {

constexpr std::string_view OptionNames[] = {"rntoEditing",   "rntoRowSizing",
                                            "rntoColSizing", "rntoRowSelect",
                                            "rntoColSelect", "rntoRTFSaveCellPixelBestWidth"};
constexpr std::string_view PrintOptionNames[] = {"rntoHalftoneBorders", "rntoRowsSplit"};
constexpr std::string_view BorderStyleNames[] = {"rntbRaised", "rntbLowered", "rntbColor",
                                                 "rntbRaisedColor", "rntbLoweredColor"};

const TRNStoredProperty<TRNTableItemInfo> StoredTableProps[] = {
    RN_STORED_VALUE(TRNTableItemInfo, "Options", Set, OptionNames, Options),
    RN_STORED_VALUE(TRNTableItemInfo, "PrintOptions", Set, PrintOptionNames, PrintOptions),
    RN_STORED_VALUE(TRNTableItemInfo, "BestWidth", Integer, {}, BestWidth),
    RN_STORED_VALUE(TRNTableItemInfo, "Color", Color, {}, Color),
    RN_STORED_TEXT(TRNTableItemInfo, "TextRowSeparator", TextRowSeparator),
    RN_STORED_TEXT(TRNTableItemInfo, "TextColSeparator", TextColSeparator),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderWidth", Integer, {}, BorderWidth),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderColor", Color, {}, BorderColor),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderLightColor", Color, {}, BorderLightColor),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderStyle", Enum, BorderStyleNames, BorderStyle),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderVSpacing", Integer, {}, BorderVSpacing),
    RN_STORED_VALUE(TRNTableItemInfo, "BorderHSpacing", Integer, {}, BorderHSpacing),
    RN_STORED_VALUE(TRNTableItemInfo, "CellBorderWidth", Integer, {}, CellBorderWidth),
    RN_STORED_VALUE(TRNTableItemInfo, "CellBorderColor", Color, {}, CellBorderColor),
    RN_STORED_VALUE(TRNTableItemInfo, "CellBorderLightColor", Color, {}, CellBorderLightColor),
    RN_STORED_VALUE(TRNTableItemInfo, "CellPadding", Integer, {}, CellPadding),
    RN_STORED_VALUE(TRNTableItemInfo, "CellBorderStyle", Enum, BorderStyleNames, CellBorderStyle),
    RN_STORED_VALUE(TRNTableItemInfo, "VRuleWidth", Integer, {}, VRuleWidth),
    RN_STORED_VALUE(TRNTableItemInfo, "VRuleColor", Color, {}, VRuleColor),
    RN_STORED_VALUE(TRNTableItemInfo, "HRuleWidth", Integer, {}, HRuleWidth),
    RN_STORED_VALUE(TRNTableItemInfo, "HRuleColor", Color, {}, HRuleColor),
    RN_STORED_VALUE(TRNTableItemInfo, "CellVSpacing", Integer, {}, CellVSpacing),
    RN_STORED_VALUE(TRNTableItemInfo, "CellHSpacing", Integer, {}, CellHSpacing),
    RN_STORED_VALUE(TRNTableItemInfo, "VOutermostRule", Boolean, {}, VOutermostRule),
    RN_STORED_VALUE(TRNTableItemInfo, "HOutermostRule", Boolean, {}, HOutermostRule),
};

const TRNStoredProperty<TRNTableCellData> StoredCellProps[] = {
    RN_STORED_VALUE(TRNTableCellData, "Color", Color, {}, Color),
    RN_STORED_VALUE(TRNTableCellData, "BestWidth", Integer, {}, BestWidth),
    RN_STORED_VALUE(TRNTableCellData, "BestHeight", Integer, {}, BestHeight),
    RN_STORED_VALUE(TRNTableCellData, "VisibleBorders.Left", Boolean, {}, VisibleBorders.Left),
    RN_STORED_VALUE(TRNTableCellData, "VisibleBorders.Right", Boolean, {}, VisibleBorders.Right),
    RN_STORED_VALUE(TRNTableCellData, "VisibleBorders.Top", Boolean, {}, VisibleBorders.Top),
    RN_STORED_VALUE(TRNTableCellData, "VisibleBorders.Bottom", Boolean, {}, VisibleBorders.Bottom),
};

// The declared defaults are the constructor's values, except that the separators declare
// none: a string is stored whenever it is not empty.
struct TableDefaults {
    TRNTableItemInfo Table{nullptr};
    TableDefaults() {
        Table.TextRowSeparator.clear();
        Table.TextColSeparator.clear();
    }
};

// How a change of a property affects the layout: its size, and its width too.
struct Effect {
    std::string_view Name;
    bool AffectSize;
    bool AffectWidth;
};

const Effect TableEffects[] = {
    {"Options", true, true},
    {"PrintOptions", true, true},
    {"BestWidth", true, true},
    {"Color", false, false},
    {"BorderWidth", true, true},
    {"BorderColor", false, false},
    {"BorderLightColor", false, false},
    {"BorderStyle", false, false},
    {"BorderVSpacing", true, false},
    {"BorderHSpacing", true, true},
    {"CellBorderWidth", true, true},
    {"CellBorderColor", false, false},
    {"CellBorderLightColor", false, false},
    {"CellPadding", true, true},
    {"CellBorderStyle", false, false},
    {"VRuleWidth", false, false},
    {"VRuleColor", false, false},
    {"HRuleWidth", false, false},
    {"HRuleColor", false, false},
    {"CellVSpacing", true, false},
    {"CellHSpacing", true, true},
    {"VOutermostRule", false, false},
    {"HOutermostRule", false, false},
};

const Effect CellEffects[] = {
    {"BestWidth", true, true},
    {"BestHeight", true, false},
    {"Color", false, false},
};

template <size_t N>
bool FindEffect(const Effect (&table)[N], const std::string& name, bool& affectSize,
                bool& affectWidth) {
    for (const Effect& e : table) {
        if (e.Name == name) {
            affectSize = e.AffectSize;
            affectWidth = e.AffectWidth;
            return true;
        }
    }
    return false;
}

// The integer-like stored properties by name; strings are not among them.
template <class T, size_t N>
const TRNStoredProperty<T>* FindIntProp(const TRNStoredProperty<T> (&table)[N],
                                        const std::string& name) {
    for (const TRNStoredProperty<T>& p : table) {
        if (p.Name == name && p.Type != rnprops::Kind::String) {
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
    const auto* p = FindIntProp(StoredCellProps, name);
    if (p) {
        value = static_cast<int>(p->Get(*this));
    }
    return p != nullptr;
}

void TRNTableCellData::SetIntProp(const std::string& name, int value) {
    const auto* p = FindIntProp(StoredCellProps, name);
    if (!p || !p->Set(*this, value)) {
        UnknownProperty(name);
    }
}

bool TRNTableItemInfo::GetIntProp(const std::string& name, int& value) const {
    const auto* p = FindIntProp(StoredTableProps, name);
    if (p) {
        value = static_cast<int>(p->Get(*this));
    }
    return p != nullptr;
}

void TRNTableItemInfo::SetIntProp(const std::string& name, int value) {
    const auto* p = FindIntProp(StoredTableProps, name);
    if (!p || !p->Set(*this, value)) {
        UnknownProperty(name);
    }
}

bool TRNTableItemInfo::GetPropertyEffect(const std::string& name, bool& affectSize,
                                         bool& affectWidth) {
    return FindEffect(TableEffects, name, affectSize, affectWidth);
}

bool TRNTableItemInfo::GetCellPropertyEffect(const std::string& name, bool& affectSize,
                                             bool& affectWidth) {
    return FindEffect(CellEffects, name, affectSize, affectWidth);
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
    auto* editor = dynamic_cast<TRNEditRNData*>(Rows.MainRNData);
    const bool record = InsertedInData && InEditor && editor;
    {
        FlagOff off(InsertedInData);
        if (record) {
            editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
            editor->Do_ModifyItemIntProperty(GetMyItemNo(), this, name, value, affectSize,
                                             affectWidth,
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
    auto* editor = dynamic_cast<TRNEditRNData*>(Rows.MainRNData);
    const bool record = InsertedInData && InEditor && editor;
    {
        FlagOff off(InsertedInData);
        if (record) {
            editor->BeginUndoSequence(TRNUndoType::rnutModifyItem);
            auto* record =
                dynamic_cast<TRNUndoModifyCellIntProperty*>(editor->Do_ModifyItemIntProperty(
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
    auto* editor = dynamic_cast<TRNEditRNData*>(Rows.MainRNData);
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
        auto* record =
            dynamic_cast<TRNUndoModifyCellIntProperties*>(editor->Do_ModifyItemIntProperties(
                itemNo < 0 ? GetMyItemNo() : itemNo, cell, props, includeSize, includeSize,
                MakeUndoProps<TRNUndoModifyCellIntProperties>));
        if (record) {
            record->Row = row;
            record->Col = col;
        }
    }
    NeedsReformat = true;
}

// ---------------------------------------------------------------------------------------------
// The published properties as stored

void RN_WriteTableProperties(TWriter& writer, const TRNTableItemInfo& table,
                             std::string_view path) {
    static const TableDefaults defaults;
    RN_WriteStoredProperties(writer, table, defaults.Table, StoredTableProps, path);
}

bool RN_ReadTableProperty(TReader& reader, TRNTableItemInfo& table, std::string_view name,
                          std::string_view path) {
    return RN_ReadStoredProperty(reader, table, StoredTableProps, name, path);
}

void RN_WriteCellProperties(TWriter& writer, const TRNTableCellData& cell, std::string_view path) {
    static const TRNTableCellData defaults(nullptr);
    RN_WriteStoredProperties(writer, cell, defaults, StoredCellProps, path);
}

bool RN_ReadCellProperty(TReader& reader, TRNTableCellData& cell, std::string_view name,
                         std::string_view path) {
    return RN_ReadStoredProperty(reader, cell, StoredCellProps, name, path);
}
