#include "platform/graphics/ComponentStream.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

std::string Str(std::string_view s) {
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

// A table wrapper as the notes store it: two table properties, then the cells with their
// spans and one cell component each (the first with a colour, a nested border flag and data).
const std::string TableStream =
    "TPF0" + Str("TRNTableSW") + Str("") + Str("T.Options") + "\x0b" + Str("rntoAllowSelection") +
    Str("rntoColSizing") + std::string(1, '\0') + Str("T.BorderWidth") + "\x02\x01" +
    Str("T.BorderColor") + "\x07" + Str("clNavy") + Str("T.Color") +
    std::string("\x04\x56\x34\x12\x00", 5) + Str("T.CellPadding") + std::string("\x03\x2c\x01", 3) +
    Str("C") + "\x02\x02" + "\x02\x01" + "\x01" + "\x02\x01\x02\x01" + Str("TD") + Str("") +
    Str("C.Color") + "\x07" + Str("clYellow") + Str("C.VisibleBorders.Left") + "\x08" +
    Str("Data") +
    std::string("\x0a\x03\x00\x00\x00"
                "abc",
                8) +
    std::string(2, '\0') + "\x02\x01\x02\x01" + Str("TD") + Str("") + std::string(2, '\0') +
    std::string(1, '\0') + std::string(2, '\0');

struct Cell {
    TColor color = clNone;
    bool left = true;
    std::string data;
    int colSpan = 0, rowSpan = 0;
};

struct Table {
    std::vector<std::string> options;
    int borderWidth = 0, cellPadding = 0;
    TColor borderColor = clBlack, color = clWhite;
    int rows = 0, cols = 0;
    std::vector<Cell> cells;
};

Table ReadTable(std::string_view bytes) {
    Table t;
    TReader reader(bytes);
    reader.ReadSignature();
    std::string className, name;
    reader.ReadComponent(className, name, [&](const std::string& prop) {
        if (prop == "T.Options") {
            t.options = reader.ReadSet();
        } else if (prop == "T.BorderWidth") {
            t.borderWidth = reader.ReadInt32();
        } else if (prop == "T.CellPadding") {
            t.cellPadding = reader.ReadInt32();
        } else if (prop == "T.BorderColor") {
            t.borderColor = reader.ReadColor();
        } else if (prop == "T.Color") {
            t.color = reader.ReadColor();
        } else if (prop == "C") {
            t.rows = reader.ReadInt32();
            t.cols = reader.ReadInt32();
            reader.ReadListBegin();
            while (!reader.EndOfList()) {
                Cell cell;
                cell.colSpan = reader.ReadInt32();
                cell.rowSpan = reader.ReadInt32();
                std::string cellClass, cellName;
                reader.ReadComponent(cellClass, cellName, [&](const std::string& p) {
                    if (p == "C.Color") {
                        cell.color = reader.ReadColor();
                    } else if (p == "C.VisibleBorders.Left") {
                        cell.left = reader.ReadBoolean();
                    } else if (p == "Data") {
                        cell.data = reader.ReadBinary();
                    } else {
                        return false;
                    }
                    return true;
                });
                EXPECT_EQ(cellClass, "TD");
                t.cells.push_back(cell);
            }
            reader.ReadListEnd();
        } else {
            return false;
        }
        return true;
    });
    EXPECT_EQ(className, "TRNTableSW");
    EXPECT_EQ(name, "");
    EXPECT_TRUE(reader.AtEnd());
    return t;
}

} // namespace

TEST(ComponentStream, WritesTheTableFixtureByteForByte) {
    TWriter w;
    w.WriteSignature();
    w.WriteComponentHeader("TRNTableSW", "");
    w.WritePropName("T.Options");
    w.WriteSet({"rntoAllowSelection", "rntoColSizing"});
    w.WritePropName("T.BorderWidth");
    w.WriteInteger(1);
    w.WritePropName("T.BorderColor");
    w.WriteColor(clNavy);
    w.WritePropName("T.Color");
    w.WriteColor(0x123456);
    w.WritePropName("T.CellPadding");
    w.WriteInteger(300);
    w.WritePropName("C");
    w.WriteInteger(2);
    w.WriteInteger(1);
    w.WriteListBegin();
    for (int i = 0; i < 2; ++i) {
        w.WriteInteger(1);
        w.WriteInteger(1);
        w.WriteComponentHeader("TD", "");
        if (i == 0) {
            w.WritePropName("C.Color");
            w.WriteColor(clYellow);
            w.WritePropName("C.VisibleBorders.Left");
            w.WriteBoolean(false);
            w.WritePropName("Data");
            w.WriteBinary("abc");
        }
        w.WriteListEnd();
        w.WriteListEnd();
    }
    w.WriteListEnd();
    w.WriteListEnd();
    w.WriteListEnd();
    EXPECT_EQ(w.Bytes(), TableStream);
}

TEST(ComponentStream, ReadsTheTableFixture) {
    Table t = ReadTable(TableStream);
    EXPECT_EQ(t.options, (std::vector<std::string>{"rntoAllowSelection", "rntoColSizing"}));
    EXPECT_EQ(t.borderWidth, 1);
    EXPECT_EQ(t.cellPadding, 300);
    EXPECT_EQ(t.borderColor, clNavy);
    EXPECT_EQ(t.color, 0x123456);
    EXPECT_EQ(t.rows, 2);
    EXPECT_EQ(t.cols, 1);
    ASSERT_EQ(t.cells.size(), 2u);
    EXPECT_EQ(t.cells[0].color, clYellow);
    EXPECT_FALSE(t.cells[0].left);
    EXPECT_EQ(t.cells[0].data, "abc");
    EXPECT_EQ(t.cells[1].color, clNone);
    EXPECT_TRUE(t.cells[1].left);
    EXPECT_EQ(t.cells[1].colSpan, 1);
}

TEST(ComponentStream, SkipsUnknownPropertiesOfEveryKind) {
    // Every kind of value, under names the reader does not know, before the known ones and
    // inside the cell; also a child component of the wrapper.
    TWriter extra;
    extra.WritePropName("T.Future");
    extra.WriteFloat(2.5);
    extra.WritePropName("T.Caption");
    extra.WriteString(std::string(300, 'x'));
    extra.WritePropName("T.Hint");
    extra.WriteWideString(u"\u00e9t\u00e9");
    extra.WritePropName("T.Utf8");
    extra.WriteUTF8String("\xc3\xa9");
    extra.WritePropName("T.Items");
    extra.WriteCollectionBegin();
    extra.WriteListBegin();
    extra.WritePropName("Name");
    extra.WriteString("a");
    extra.WriteListEnd();
    extra.WriteInteger(3);
    extra.WriteListBegin();
    extra.WriteListEnd();
    extra.WriteListEnd();
    extra.WritePropName("T.List");
    extra.WriteListBegin();
    extra.WriteInteger(100000);
    extra.WriteInteger(5000000000LL);
    extra.WriteNil();
    extra.WriteIdent("crDefault");
    extra.WriteSingle(1.5f);
    extra.WriteCurrency(12345);
    extra.WriteDate(37432.5);
    extra.WriteListEnd();

    std::string stream = TableStream;
    size_t firstProp = 4 + 11 + 1;
    stream.insert(firstProp, extra.Bytes());
    size_t cellProps = stream.find(Str("C.Color"));
    TWriter inCell;
    inCell.WritePropName("C.Unknown");
    inCell.WriteSet({"a", "b"});
    stream.insert(cellProps, inCell.Bytes());
    // A child component after the wrapper's properties.
    TWriter child;
    child.WriteComponentHeader("TLabel", "Label1");
    child.WritePropName("Caption");
    child.WriteString("x");
    child.WriteListEnd();
    child.WriteListEnd();
    stream.insert(stream.size() - 1, child.Bytes());

    Table t = ReadTable(stream);
    EXPECT_EQ(t.borderWidth, 1);
    ASSERT_EQ(t.cells.size(), 2u);
    EXPECT_EQ(t.cells[0].color, clYellow);
    EXPECT_EQ(t.cells[0].data, "abc");
}

TEST(ComponentStream, TruncatedInputIsRefusedWithAClearError) {
    for (size_t n = 0; n < TableStream.size(); ++n) {
        try {
            ReadTable(TableStream.substr(0, n));
            ADD_FAILURE() << "read a stream cut at " << n;
        } catch (const EReadError& e) {
            std::string message = e.what();
            bool clear = message.rfind("Stream read error", 0) == 0 ||
                         message.rfind("Invalid stream format", 0) == 0 ||
                         message.rfind("Invalid property value", 0) == 0;
            EXPECT_TRUE(clear) << message;
            if (n >= 4) {
                EXPECT_NE(message.find("at byte"), std::string::npos) << message;
            }
        }
    }
    // Lengths that point past the end, unknown value bytes, runaway nesting, a wrong colour
    // name or signature.
    const std::pair<std::string, std::function<void(TReader&)>> bad[] = {
        {std::string("\x0a\xff\xff\xff\x7f\x61\x62", 7), [](TReader& r) { (void)r.ReadBinary(); }},
        {std::string("\x12\xff\xff\xff\x7f", 5), [](TReader& r) { (void)r.ReadWideString(); }},
        {std::string("\x2a", 1), [](TReader& r) { r.SkipValue(); }},
        {std::string(10000, '\x01'), [](TReader& r) { r.SkipValue(); }},
        {std::string("\x07\005clFoo", 7), [](TReader& r) { (void)r.ReadColor(); }},
        {"TPF1", [](TReader& r) { r.ReadSignature(); }},
    };
    for (size_t i = 0; i < std::size(bad); ++i) {
        TReader reader(bad[i].first);
        EXPECT_THROW(bad[i].second(reader), EReadError) << "case " << i;
    }
    // A value of the wrong kind is refused and left for the right reader.
    const std::string wrongKindBytes("\x06\x01x", 3);
    TReader wrongKind(wrongKindBytes);
    EXPECT_THROW(wrongKind.ReadInteger(), EReadError);
    EXPECT_EQ(wrongKind.ReadString(), "x");
}

TEST(ComponentStream, ValueEncodings) {
    TWriter w;
    w.WriteInteger(-128);
    w.WriteInteger(128);
    w.WriteInteger(-32769);
    w.WriteInteger(int64_t{1} << 40);
    w.WriteFloat(1.5);
    w.WriteFloat(-2.0);
    w.WriteIdent("True");
    w.WriteIdent("nil");
    w.WriteIdent("taCenter");
    w.WriteColor(clBtnFace);
    w.WriteColor(clNone);
    w.WriteColor(RGB(1, 2, 3));
    w.WriteWideString(u"A\u20ac");
    const std::string expected = std::string("\x02\x80", 2) + std::string("\x03\x80\x00", 3) +
                                 std::string("\x04\xff\x7f\xff\xff", 5) +
                                 std::string("\x13\x00\x00\x00\x00\x00\x01\x00\x00", 9) +
                                 std::string("\x05\x00\x00\x00\x00\x00\x00\x00\xc0\xff\x3f", 11) +
                                 std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x80\x00\xc0", 11) +
                                 "\x09" + "\x0d" + "\x07" + Str("taCenter") + "\x07" +
                                 Str("clBtnFace") + "\x07" + Str("clNone") +
                                 std::string("\x04\x01\x02\x03\x00", 5) +
                                 std::string("\x12\x02\x00\x00\x00\x41\x00\xac\x20", 9);
    EXPECT_EQ(w.Bytes(), expected);
    TReader r(w.Bytes());
    EXPECT_EQ(r.ReadInteger(), -128);
    EXPECT_EQ(r.ReadInteger(), 128);
    EXPECT_EQ(r.ReadInteger(), -32769);
    EXPECT_THROW(r.ReadInt32(), EReadError);
    EXPECT_EQ(r.ReadInteger(), int64_t{1} << 40);
    EXPECT_EQ(r.ReadFloat(), 1.5);
    EXPECT_EQ(r.ReadFloat(), -2.0);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_EQ(r.ReadIdent(), "nil");
    EXPECT_EQ(r.ReadIdent(), "taCenter");
    EXPECT_EQ(r.ReadColor(), clBtnFace);
    EXPECT_EQ(r.ReadColor(), clNone);
    EXPECT_EQ(r.ReadColor(), RGB(1, 2, 3));
    EXPECT_EQ(r.ReadWideString(), u"A\u20ac");
    EXPECT_TRUE(r.AtEnd());

    for (double v : {0.0, -0.0, 0.1, 1e300, -3.25e-310, 123456789.125}) {
        EXPECT_EQ(ExtendedToDouble(DoubleToExtended(v)), v) << v;
    }
    EXPECT_EQ(ExtendedToDouble(DoubleToExtended(1e-320)), 1e-320);
}

TEST(ComponentStream, StyleCollectionWithOrderNumbers) {
    // A collection of two items, the second with an order number, as style sheets store them.
    const std::string bytes = std::string("\x0e\x01", 2) + Str("StyleName") + "\x06" +
                              Str("Normal") + std::string("\x00\x02\x05\x01", 4) + Str("Size") +
                              "\x02\x0c" + std::string("\x00\x00", 2);
    TReader r(bytes);
    r.ReadCollectionBegin();
    std::vector<std::map<std::string, std::string>> items;
    std::vector<std::optional<int64_t>> orders;
    while (!r.EndOfList()) {
        orders.push_back(r.ReadCollectionItemBegin());
        std::map<std::string, std::string> item;
        r.ReadProperties([&](const std::string& name) {
            item[name] = name == "Size" ? std::to_string(r.ReadInteger()) : r.ReadString();
            return true;
        });
        items.push_back(item);
    }
    r.ReadListEnd();
    EXPECT_TRUE(r.AtEnd());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0]["StyleName"], "Normal");
    EXPECT_EQ(items[1]["Size"], "12");
    EXPECT_FALSE(orders[0].has_value());
    EXPECT_EQ(orders[1], 5);

    TWriter w;
    w.WriteCollectionBegin();
    w.WriteListBegin();
    w.WritePropName("StyleName");
    w.WriteString("Normal");
    w.WriteListEnd();
    w.WriteInteger(5);
    w.WriteListBegin();
    w.WritePropName("Size");
    w.WriteInteger(12);
    w.WriteListEnd();
    w.WriteListEnd();
    EXPECT_EQ(w.Bytes(), bytes);
}
