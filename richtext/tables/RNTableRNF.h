#pragma once

// The two small components that give a table's component stream its shape: the wrapper
// "TRNTableSW", whose published object `T` is the table and whose defined property "C" is the
// grid, and "TD", whose published object `C` is one cell. Neither owns what it points at.

#include "platform/base/Stream.h"
#include "richtext/tables/RNTable.h"

#include <memory>
#include <string>
#include <string_view>

class TReader;
class TWriter;

// As much of a component as the stream needs: a name and an owner.
class TComponent {
public:
    explicit TComponent(TComponent* owner) : Owner(owner) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // A view of a literal: its length is known without counting it for every cell.
    virtual std::string_view ClassName() const = 0;
    // Header, properties, the end of the properties and an empty child list.
    void WriteComponent(TWriter& writer);
    // Reads a component written as above into this one; its children are skipped.
    void ReadComponent(TReader& reader);

    std::string Name;
    TComponent* Owner;

protected:
    // Published properties first, then defined ones.
    virtual void WriteProperties(TWriter& writer) = 0;
    // Reads the value of the named property; false for a property this component lacks.
    virtual bool ReadProperty(TReader& reader, const std::string& name) = 0;
};

class TD : public TComponent {
public:
    using TComponent::TComponent;
    std::string_view ClassName() const override { return "TD"; }

    TRNTableCellData* C = nullptr;
    // Whether the cell's document has been read since this was last cleared.
    bool DataRead = false;

protected:
    void WriteProperties(TWriter& writer) override;
    bool ReadProperty(TReader& reader, const std::string& name) override;

private:
    const TRNFSettings& Settings();

    // The cells' documents on their way into the stream.
    TMemoryStream cellBytes_;
    // The settings of the root above the cells written so far, and the document they sit in.
    TCustomRNData* settingsParent_ = nullptr;
    TRNFSettings settings_;
};

class TRNTableSW : public TComponent {
public:
    explicit TRNTableSW(TComponent* owner);
    ~TRNTableSW() override;
    std::string_view ClassName() const override { return "TRNTableSW"; }

    TRNTableItemInfo* T = nullptr;
    // The cell wrapper the grid's writer and reader point at each cell in turn.
    TD& CellWrapper() { return *td_; }

protected:
    void WriteProperties(TWriter& writer) override;
    bool ReadProperty(TReader& reader, const std::string& name) override;

private:
    std::unique_ptr<TD> td_;
};
