#pragma once

// The style collections of a style sheet: text styles (TFontInfos) and paragraph styles
// (TParaInfos), with the finders of the formatting commands and the merging of one
// collection into another.

#include "richtext/model/RNClasses.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/model/RNStyleParaInfo.h"

#include <memory>
#include <string>
#include <vector>

enum class TRNStyleMergeMode : uint8_t { rns_merge_SmartMerge, rns_merge_Map, rns_merge_Append };

class TCustomRNInfos {
public:
    virtual ~TCustomRNInfos() = default;
    TCustomRNInfos(const TCustomRNInfos&) = delete;
    TCustomRNInfos& operator=(const TCustomRNInfos&) = delete;

    // The style sheet the collection belongs to (null for a free-standing one).
    TRNStyle* GetOwner() const { return owner_; }

    int Count() const { return static_cast<int>(items_.size()); }
    bool Has(int index) const { return index >= 0 && index < Count(); }
    void Clear() { items_.clear(); }
    // The display names in order.
    void AssignTo(std::vector<std::string>& names) const;

    // Merges `source` in; Map[k] receives the number here for style k of `source`. In map
    // mode nothing is added, and an empty collection leaves the map empty: its styles are
    // then outside the map, never style -1.
    void MergeWith(const TCustomRNInfos& source, TRNStyleMergeMode mode, TRNIntegerList& map);
    // A style's next style (the one Enter switches to) outside the collection, below -1
    // included, becomes none (-1): Enter would give a new line a style nobody can read back.
    void KeepNextStylesInside();

protected:
    explicit TCustomRNInfos(TRNStyle* owner) : owner_(owner) {}

    TCustomRNInfo& Item(int index) const;
    TCustomRNInfo& AddItem();
    void DeleteItem(int index);
    void AssignItems(const TCustomRNInfos& source);
    virtual std::unique_ptr<TCustomRNInfo> NewItem() const = 0;
    // The style's next style: NextStyleNo of a text style, NextParaNo of a paragraph style.
    virtual int32_t& NextOf(TCustomRNInfo& style) const = 0;
    // Map mode looks for the closest style among the candidates of the first non-empty stage.
    virtual std::vector<std::vector<int>> MapCandidateStages(const TCustomRNInfo& style) const;

private:
    int ClosestStyle(const TCustomRNInfo& style) const;

    TRNStyle* owner_;
    std::vector<std::unique_ptr<TCustomRNInfo>> items_;
};

class TFontInfos : public TCustomRNInfos {
public:
    explicit TFontInfos(TRNStyle* owner = nullptr) : TCustomRNInfos(owner) {}

    // Raises ERichNoteError for a number out of range.
    TFontInfo& Items(int index) const { return static_cast<TFontInfo&>(Item(index)); }
    TFontInfo& operator[](int index) const { return Items(index); }
    void SetItem(int index, const TFontInfo& value) { Items(index).Assign(value); }
    void Assign(const TFontInfos& source) { AssignItems(source); }

    // A style with the defaults, appended.
    TFontInfo& Add() { return static_cast<TFontInfo&>(AddItem()); }
    TFontInfo& AddFont(const std::string& name, int size, TColor color, TColor backColor,
                       TFontStyles style);
    TFontInfo& AddFontEx(const std::string& name, int size, TColor color, TColor backColor,
                         TFontStyles style, TFontCharset charset);
    // The first six styles are never deleted; numbers out of range are ignored.
    void Delete(int index);

    // Each finder returns `styleNo` when it already has the wanted value, else the first
    // other style with the value that equals it in all else, else -1.
    int FindStyleWithFont(int styleNo, const TFont& font) const;
    int FindStyleWithFontSize(int styleNo, int size) const;
    int FindStyleWithColor(int styleNo, TColor color, TColor backColor) const;
    int FindStyleWithFontName(int styleNo, const std::string& fontName) const;
    int FindStyleWithCharset(int styleNo, TFontCharset charset) const;
    int FindStyleWithFontStyle(int styleNo, TFontStyles value, TFontStyles mask) const;
    int FindSuchStyle(int styleNo, const TFontInfo& style, TRNFontInfoProperties ignoreList) const;

protected:
    std::unique_ptr<TCustomRNInfo> NewItem() const override;
    int32_t& NextOf(TCustomRNInfo& style) const override;
    std::vector<std::vector<int>> MapCandidateStages(const TCustomRNInfo& style) const override;
};

class TParaInfos : public TCustomRNInfos {
public:
    explicit TParaInfos(TRNStyle* owner = nullptr) : TCustomRNInfos(owner) {}

    TParaInfo& Items(int index) const { return static_cast<TParaInfo&>(Item(index)); }
    TParaInfo& operator[](int index) const { return Items(index); }
    void SetItem(int index, const TParaInfo& value) { Items(index).Assign(value); }
    void Assign(const TParaInfos& source) { AssignItems(source); }

    TParaInfo& Add() { return static_cast<TParaInfo&>(AddItem()); }

    int FindStyleWithAlignment(int styleNo, TRNAlignment alignment) const;
    int FindSuchStyle(int styleNo, const TParaInfo& style, TRNParaInfoProperties ignoreList) const;

protected:
    std::unique_ptr<TCustomRNInfo> NewItem() const override;
    int32_t& NextOf(TCustomRNInfo& style) const override;
};
