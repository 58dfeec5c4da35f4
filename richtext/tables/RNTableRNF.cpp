// A table in RNF: one item record whose last line is the table's component stream, and the
// same stream on its own. Stored notes are read from untrusted bytes, so every count and
// length is checked before it is used; a damaged table keeps what was read and the rest of
// the note still loads, with a warning that the table is damaged.

#include "richtext/tables/RNTableRNF.h"

#include "platform/base/Stream.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/tables/RNTableReadGrid.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

constexpr int SaveTypeText = 0;
constexpr int SaveTypeBinary = 2;
// The Insert Table dialog's largest table, 1000 x 1000.
constexpr int64_t MaxCells = 1000000;
constexpr int MaxTableNesting = 64;
// The fewest bytes of one cell record: two one-byte integers (two bytes each) and a component
// of a one-letter class name, an empty name and its two list ends.
constexpr size_t MinCellRecordBytes = 9;
// Sizes in pixels far beyond any page are damage: the layout adds them up in 32 bits.
constexpr int MaxPixels = 100000;

// ---- the table's published properties, in stream order, with the defaults left out ----

enum class Kind { Set, Int, Color, Text, Enum, Bool };

const char* const OptionNames[] = {"rntoEditing",   "rntoRowSizing",
                                   "rntoColSizing", "rntoRowSelect",
                                   "rntoColSelect", "rntoRTFSaveCellPixelBestWidth"};
const char* const PrintOptionNames[] = {"rntoHalftoneBorders", "rntoRowsSplit"};
const char* const BorderStyleNames[] = {"rntbRaised", "rntbLowered", "rntbColor", "rntbRaisedColor",
                                        "rntbLoweredColor"};

struct StreamProp {
    const char* Name;
    Kind K;
    int Default = 0;
    const char* const* Names = nullptr;
    int NameCount = 0;
    std::string TRNTableItemInfo::*Text = nullptr;
};

const StreamProp TableStreamProps[] = {
    {"Options", Kind::Set, 31, OptionNames, 6},
    {"PrintOptions", Kind::Set, 3, PrintOptionNames, 2},
    {"BestWidth", Kind::Int, 0},
    {"Color", Kind::Color, clWindow},
    {"TextRowSeparator", Kind::Text, 0, nullptr, 0, &TRNTableItemInfo::TextRowSeparator},
    {"TextColSeparator", Kind::Text, 0, nullptr, 0, &TRNTableItemInfo::TextColSeparator},
    {"BorderWidth", Kind::Int, 0},
    {"BorderColor", Kind::Color, clWindowText},
    {"BorderLightColor", Kind::Color, clBtnHighlight},
    {"BorderStyle", Kind::Enum, 0, BorderStyleNames, 5},
    {"BorderVSpacing", Kind::Int, 2},
    {"BorderHSpacing", Kind::Int, 2},
    {"CellBorderWidth", Kind::Int, 0},
    {"CellBorderColor", Kind::Color, clWindowText},
    {"CellBorderLightColor", Kind::Color, clBtnHighlight},
    {"CellPadding", Kind::Int, 1},
    {"CellBorderStyle", Kind::Enum, 1, BorderStyleNames, 5},
    {"VRuleWidth", Kind::Int, 0},
    {"VRuleColor", Kind::Color, clWindowText},
    {"HRuleWidth", Kind::Int, 0},
    {"HRuleColor", Kind::Color, clWindowText},
    {"CellVSpacing", Kind::Int, 2},
    {"CellHSpacing", Kind::Int, 2},
    {"VOutermostRule", Kind::Bool, 0},
    {"HOutermostRule", Kind::Bool, 0},
};

[[noreturn]] void BadValue(const std::string& property, const std::string& value) {
    throw EReadError("Invalid property value " + value + " of " + property);
}

int ReadPixels(TReader& reader, const std::string& property) {
    const int value = reader.ReadInt32();
    if (value < -MaxPixels || value > MaxPixels) {
        BadValue(property, std::to_string(value));
    }
    return value;
}

void WriteTableProp(TWriter& writer, const TRNTableItemInfo& table, const StreamProp& p) {
    const std::string path = std::string("T.") + p.Name;
    if (p.K == Kind::Text) {
        // A separator left out reads back as a new table's, which is not empty: an empty one
        // is written like any other.
        writer.WritePropName(path);
        writer.WriteString(table.*(p.Text));
        return;
    }
    int value = 0;
    table.GetIntProp(p.Name, value);
    if (value == p.Default) {
        return;
    }
    writer.WritePropName(path);
    switch (p.K) {
    case Kind::Set: {
        std::vector<std::string> members;
        for (int i = 0; i < p.NameCount; ++i) {
            if (value >> i & 1) {
                members.emplace_back(p.Names[i]);
            }
        }
        writer.WriteSet(members);
        break;
    }
    case Kind::Enum:
        writer.WriteIdent(value >= 0 && value < p.NameCount ? p.Names[value] : p.Names[0]);
        break;
    case Kind::Bool:
        writer.WriteBoolean(value != 0);
        break;
    case Kind::Color:
        writer.WriteColor(value);
        break;
    default:
        writer.WriteInteger(value);
        break;
    }
}

int NameIndex(const StreamProp& p, const std::string& name) {
    for (int i = 0; i < p.NameCount; ++i) {
        if (name == p.Names[i]) {
            return i;
        }
    }
    BadValue(p.Name, name);
}

void ReadTableProp(TReader& reader, TRNTableItemInfo& table, const StreamProp& p) {
    int value = 0;
    switch (p.K) {
    case Kind::Text:
        table.*(p.Text) = reader.ReadString();
        return;
    case Kind::Set:
        for (const std::string& member : reader.ReadSet()) {
            value |= 1 << NameIndex(p, member);
        }
        break;
    case Kind::Enum:
        value = NameIndex(p, reader.ReadIdent());
        break;
    case Kind::Bool:
        value = reader.ReadBoolean() ? 1 : 0;
        break;
    case Kind::Color:
        value = reader.ReadColor();
        break;
    default:
        value = ReadPixels(reader, p.Name);
        break;
    }
    table.SetIntProp(p.Name, value);
}

// ---- the cell's published properties ----

struct CellBorder {
    const char* Path;
    bool TRNBooleanRect::*Side;
};
const CellBorder CellBorders[] = {
    {"C.VisibleBorders.Left", &TRNBooleanRect::Left},
    {"C.VisibleBorders.Right", &TRNBooleanRect::Right},
    {"C.VisibleBorders.Top", &TRNBooleanRect::Top},
    {"C.VisibleBorders.Bottom", &TRNBooleanRect::Bottom},
};

void AddDamaged(TCustomRNData& rnData) {
    rnData.SetRNFWarnings(rnData.GetRNFWarnings().Include(TRNFWarning::rnfwTableDamaged));
}

// Whether the bytes hold the whole document their length prefix announces.
bool HoldsWholeDocument(std::string_view data) {
    if (data.size() < 4) {
        return false;
    }
    return RNFReadByteCount(data) <= data.size() - 4;
}

// How many tables are being read inside each other on this thread.
thread_local int tableReadDepth = 0;

class NestingGuard {
public:
    NestingGuard() {
        if (tableReadDepth >= MaxTableNesting) {
            throw EReadError("Tables are nested too deeply");
        }
        ++tableReadDepth;
    }
    ~NestingGuard() { --tableReadDepth; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

// A cell whose document the stream did not give gets the one empty paragraph of a new cell.
void FillEmpty(TRNTableCellData* cell) {
    if (cell && cell->ItemCount() == 0) {
        cell->AddNL("", 0, 0);
    }
}

class ExportScope {
public:
    explicit ExportScope(TRNTableItemInfo& table) : table_(table) { table_.StartExport(); }
    ~ExportScope() { table_.EndExport(); }
    ExportScope(const ExportScope&) = delete;
    ExportScope& operator=(const ExportScope&) = delete;

private:
    TRNTableItemInfo& table_;
};

// About the size of the table's stream: its cells' texts and a little for each cell and item.
// Reserved at once, a large table's stream is not copied over and over as it grows.
size_t EstimatedStreamSize(const TRNTableItemInfo& table) {
    size_t size = 256;
    table.Rows.ForEachCell([&](const TRNTableCellData& cell) {
        size += 12;
        const int items = cell.ItemCount();
        if (items > 1 || (items == 1 && !cell.GetItemText(0).empty())) {
            size += 40;
            for (int i = 0; i < items; ++i) {
                size += cell.GetItemText(i).size() + 20;
            }
        }
    });
    return size;
}

std::string TableStreamBytes(TRNTableItemInfo& table) {
    TWriter writer;
    writer.Reserve(EstimatedStreamSize(table));
    writer.WriteSignature();
    TRNTableSW wrapper(nullptr);
    wrapper.T = &table;
    wrapper.WriteComponent(writer);
    return writer.TakeBytes();
}

void LoadTableStream(TRNTableItemInfo& table, std::string_view bytes) {
    TReader reader(bytes);
    reader.ReadSignature();
    TRNTableSW wrapper(nullptr);
    wrapper.T = &table;
    wrapper.ReadComponent(reader);
}

} // namespace

// ---- components ----

void TComponent::WriteComponent(TWriter& writer) {
    writer.WriteComponentHeader(ClassName(), Name);
    WriteProperties(writer);
    writer.WriteListEnd();
    writer.WriteListEnd();
}

void TComponent::ReadComponent(TReader& reader) {
    std::string className;
    reader.ReadComponent(className, Name, [&](const std::string& property) {
        return ReadProperty(reader, property);
    });
}

void TD::WriteProperties(TWriter& writer) {
    if (C->Color != clNone) {
        writer.WritePropName("C.Color");
        writer.WriteColor(C->Color);
    }
    if (C->BestWidth != 0) {
        writer.WritePropName("C.BestWidth");
        writer.WriteInteger(C->BestWidth);
    }
    if (C->BestHeight != 0) {
        writer.WritePropName("C.BestHeight");
        writer.WriteInteger(C->BestHeight);
    }
    for (const CellBorder& border : CellBorders) {
        if (!(C->VisibleBorders.*(border.Side))) {
            writer.WritePropName(border.Path);
            writer.WriteBoolean(false);
        }
    }
    if (C->HasData()) {
        // One buffer serves every cell of the table.
        cellBytes_.Clear();
        if (!C->DataWriter(cellBytes_, Settings())) {
            throw ERichNoteError("A table cell's document could not be saved");
        }
        writer.WritePropName("C.Data");
        writer.WriteBinary(cellBytes_.Bytes());
    }
}

const TRNFSettings& TD::Settings() {
    // The cells of a table sit in one document: its root is looked up once, not for every cell.
    TCustomRNData* parent = C->GetParentData();
    if (!parent || parent != settingsParent_) {
        settings_ = C->RNFSettings();
        // The cells are written inside their table's export, which started their items.
        settings_.ItemsExporting = true;
        settingsParent_ = parent;
    }
    return settings_;
}

bool TD::ReadProperty(TReader& reader, const std::string& name) {
    // Compared as views, the lengths first: nearly every cell has only its document, and the
    // other names need not be compared byte by byte to tell it apart.
    const std::string_view property = name;
    if (property == "C.Data") {
        // The cell's own read starts with no warnings; those of the note so far are kept.
        // The warnings are kept by the root, asked here without walking up to it each time.
        const TRNFSettings& settings = Settings();
        TCustomRNData& root = settings.Root != C ? *settings.Root : *C;
        const TRNFWarnings before = root.GetRNFWarnings();
        const std::string_view data = reader.ReadBinaryView();
        // A document whose length is wanting is refused before the cell is emptied.
        DataRead = DataRead || HoldsWholeDocument(data);
        const bool ok = C->DataReader(data, settings);
        root.SetRNFWarnings(before | root.GetRNFWarnings());
        if (!ok) {
            AddDamaged(*C);
        }
    } else if (property == "C.Color") {
        C->Color = reader.ReadColor();
    } else if (property == "C.BestWidth") {
        C->BestWidth = ReadPixels(reader, name);
    } else if (property == "C.BestHeight") {
        C->BestHeight = ReadPixels(reader, name);
    } else {
        for (const CellBorder& border : CellBorders) {
            if (property == border.Path) {
                C->VisibleBorders.*(border.Side) = reader.ReadBoolean();
                return true;
            }
        }
        return false;
    }
    return true;
}

TRNTableSW::TRNTableSW(TComponent* owner) : TComponent(owner), td_(std::make_unique<TD>(nullptr)) {}

TRNTableSW::~TRNTableSW() = default;

void TRNTableSW::WriteProperties(TWriter& writer) {
    for (const StreamProp& p : TableStreamProps) {
        WriteTableProp(writer, *T, p);
    }
    writer.WritePropName("C");
    T->CellsWriter(writer, *td_);
}

bool TRNTableSW::ReadProperty(TReader& reader, const std::string& name) {
    if (name == "C") {
        T->CellsReader(reader, *td_);
        return true;
    }
    if (name.starts_with("T.")) {
        for (const StreamProp& p : TableStreamProps) {
            if (name.compare(2, std::string::npos, p.Name) == 0) {
                ReadTableProp(reader, *T, p);
                return true;
            }
        }
    }
    return false;
}

// ---- the table ----

void TRNTableItemInfo::CellsWriter(TWriter& writer, TD& cellWrapper) {
    ExportScope exporting(*this);
    writer.WriteInteger(Rows.Count());
    writer.WriteInteger(Rows.ColCount());
    writer.WriteListBegin();
    Rows.ForEachCell([&](TRNTableCellData& cell) {
        cellWrapper.C = &cell;
        writer.WriteInteger(cell.ColSpan);
        writer.WriteInteger(cell.RowSpan);
        cellWrapper.WriteComponent(writer);
    });
    writer.WriteListEnd();
}

void TRNTableItemInfo::CellsReader(TReader& reader, TD& cellWrapper) {
    NestingGuard nesting;
    ClearTemporal();
    const int rowCount = reader.ReadInt32();
    const int colCount = reader.ReadInt32();
    // No more cell records can follow than the bytes left hold, the list's two ends aside; a
    // table has at least one cell, however wide its merges.
    const size_t left = reader.Remaining();
    const int64_t cellsHeld = left > 2 ? static_cast<int64_t>((left - 2) / MinCellRecordBytes) : 0;
    if (rowCount < 1 || colCount < 1 || int64_t{rowCount} * colCount > MaxCells || cellsHeld < 1) {
        throw EReadError("Invalid table size " + std::to_string(rowCount) + " x " +
                         std::to_string(colCount));
    }
    cellWrapper.C = nullptr;
    cellWrapper.DataRead = false;
    NeedsReformat = true;
    TRNTableReadGrid grid(Rows, rowCount, colCount, cellsHeld);
    try {
        reader.ReadListBegin();
        while (grid.NextSlot()) {
            if (reader.EndOfList()) {
                throw EReadError("Wrong end of cells list");
            }
            const int colSpan = reader.ReadInt32();
            const int rowSpan = reader.ReadInt32();
            cellWrapper.C = grid.AddCell(colSpan, rowSpan);
            cellWrapper.DataRead = false;
            cellWrapper.ReadComponent(reader);
            if (!cellWrapper.DataRead) {
                FillEmpty(cellWrapper.C);
            }
        }
        if (!reader.EndOfList()) {
            throw EReadError("Wrong end of cells list");
        }
        reader.ReadListEnd();
    } catch (...) {
        // The table keeps what was read: the cell being read keeps what it holds unless its
        // document was not reached, and the grid is made whole around the cells read.
        if (!cellWrapper.DataRead) {
            FillEmpty(cellWrapper.C);
        }
        cellWrapper.C = nullptr;
        grid.Finish();
        throw;
    }
}

void TRNTableItemInfo::SaveToStream(TStream& stream) {
    stream.WriteString(TableStreamBytes(*this));
}

void TRNTableItemInfo::LoadFromStream(TStream& stream) {
    std::string bytes(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
    bytes.resize(
        static_cast<size_t>(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    LoadTableStream(*this, bytes);
}

void TRNTableItemInfo::SaveRNF(TStream& stream, TCustomRNData& rnData, int, int paraNo,
                               const std::string& name) {
    RNFCheckLine(name);
    const bool binary = rnData.GetRNFOptions().Contains(TRNFOption::rnfoSaveBinary);
    const std::string bytes = TableStreamBytes(*this);
    RNFSaveItemHeader(stream, rnData, *this, 3, paraNo, binary ? SaveTypeBinary : SaveTypeText);
    RNFWriteLine(stream, name);
    RNFWriteLine(stream, "1");
    RNFWriteBody(stream, bytes, binary);
}

bool TRNTableItemInfo::ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType,
                                   int lineNo, int, std::string& name, TRNFReadMode& readMode,
                                   TRNFReadState& readState) {
    switch (lineNo) {
    case 0:
        name = line;
        return true;
    case 1:
        if (readType == SaveTypeBinary) {
            readMode = TRNFReadMode::rmBeforeBinary;
        }
        return true;
    case 2: {
        readState = TRNFReadState::rstSkip;
        // A binary line is read where it lies: the note's bytes outlast the table's read.
        std::string decoded;
        if (readType != SaveTypeBinary && !RNFTextString2Bytes(line, decoded)) {
            return false;
        }
        const std::string_view bytes = readType == SaveTypeBinary ? line : decoded;
        // The table keeps what was read; the warning keeps a partial table from being saved
        // back over the note as if it were whole.
        try {
            LoadTableStream(*this, bytes);
        } catch (const std::exception&) {
            AddDamaged(rnData);
        }
        return true;
    }
    default:
        return true;
    }
}
