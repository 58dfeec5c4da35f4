#include "platform/graphics/ProgramIcons.h"

#include "platform/base/CheckedSize.h"
#include "platform/graphics/EncodedImageSize.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileRecords.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t ResourceIcon = 3;
constexpr uint32_t ResourceGroupIcon = 14;
// Nothing in a sound icon comes near these.
constexpr uint32_t MaxIconImageBytes = 4u << 20;
constexpr uint32_t MaxGroupBytes = 6 + 14 * 256;
constexpr uint32_t MaxTotalBytes = 16u << 20;
constexpr uint32_t MaxDirectoryEntries = 4096;
constexpr uint32_t MaxSections = 96;

// Random access to the file's bytes: a read that does not lie wholly inside them fails.
class TByteReader {
public:
    using TRead = std::function<bool(uint64_t at, size_t count, std::string& out)>;
    TByteReader(uint64_t size, TRead read) : size_(size), read_(std::move(read)) {}

    uint64_t Size() const { return size_; }
    std::optional<std::string> Bytes(uint64_t at, uint64_t count) const {
        if (at > size_ || count > size_ - at || count > MaxTotalBytes) {
            return std::nullopt;
        }
        std::string out;
        if (!read_(at, static_cast<size_t>(count), out) || out.size() != count) {
            return std::nullopt;
        }
        return out;
    }
    std::optional<uint32_t> U16(uint64_t at) const {
        auto b = Bytes(at, 2);
        return b ? std::optional<uint32_t>(ReadU16(*b, 0)) : std::nullopt;
    }
    std::optional<uint32_t> U32(uint64_t at) const {
        auto b = Bytes(at, 4);
        return b ? std::optional<uint32_t>(ReadU32(*b, 0)) : std::nullopt;
    }

private:
    uint64_t size_;
    TRead read_;
};

// One icon image of a group, as the group lists it.
struct TGroupEntry {
    std::string Head; // width, height, colours, reserved, planes, bit count (8 bytes)
    uint32_t Id = 0;
};

// The group's entries; empty when the group is damaged.
std::vector<TGroupEntry> ParseGroup(std::string_view group) {
    std::vector<TGroupEntry> entries;
    if (group.size() < 6 || ReadU16(group, 0) != 0 || ReadU16(group, 2) != 1) {
        return entries;
    }
    const size_t count = ReadU16(group, 4);
    if (group.size() < 6 + 14 * count) {
        return entries;
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t e = 6 + 14 * i;
        entries.push_back({std::string(group.substr(e, 8)), ReadU16(group, e + 12)});
    }
    return entries;
}

// An icon image must not need more pixels than any picture may.
bool ImageSizeFits(std::string_view image) {
    if (image.substr(0, 8) == "\x89PNG\r\n\x1a\n") {
        const std::optional<TEncodedImageSize> size = EncodedImageSize(image);
        return size && DecodedWithin(*size, static_cast<uint64_t>(MaxPicturePixelBytes));
    }
    if (image.size() < 16) {
        return false;
    }
    // A bitmap of twice the height: the colours, then the mask.
    const uint64_t width = static_cast<uint64_t>(
        std::abs(static_cast<int64_t>(static_cast<int32_t>(ReadU32(image, 4)))));
    const uint64_t height = static_cast<uint64_t>(std::abs(
                                static_cast<int64_t>(static_cast<int32_t>(ReadU32(image, 8))))) /
                            2;
    return SizeWithin({width, height, 4}, static_cast<uint64_t>(MaxPicturePixelBytes));
}

// The icon file of a group whose images `imageOf` finds by their resource number.
std::string AssembleIcon(std::string_view group,
                         const std::function<std::optional<std::string>(uint32_t)>& imageOf) {
    std::vector<std::pair<std::string, std::string>> images;
    uint64_t total = 0;
    for (const TGroupEntry& entry : ParseGroup(group)) {
        std::optional<std::string> image = imageOf(entry.Id);
        if (!image || image->empty() || !ImageSizeFits(*image)) {
            continue;
        }
        total += image->size();
        if (total > MaxTotalBytes) {
            break;
        }
        images.emplace_back(entry.Head, std::move(*image));
    }
    if (images.empty()) {
        return {};
    }
    std::string out;
    WriteU16(out, 0);
    WriteU16(out, 1);
    WriteU16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (const auto& [head, image] : images) {
        out += head;
        WriteU32(out, static_cast<uint32_t>(image.size()));
        WriteU32(out, offset);
        offset += static_cast<uint32_t>(image.size());
    }
    for (const auto& image : images) {
        out += image.second;
    }
    return out;
}

// PE files: sections map the resource addresses to file offsets; the resource tree has
// three levels, type, name and language.
class TPeResources {
public:
    explicit TPeResources(const TByteReader& file) : file_(file) {}

    bool Open(uint64_t pe) {
        auto sections = file_.U16(pe + 6);
        auto optionalSize = file_.U16(pe + 20);
        const uint64_t optional = pe + 24;
        auto magic = file_.U16(optional);
        if (!sections || !optionalSize || !magic || *sections > MaxSections) {
            return false;
        }
        uint64_t countAt = 0;
        if (*magic == 0x10B) {
            countAt = optional + 92;
        } else if (*magic == 0x20B) {
            countAt = optional + 108;
        } else {
            return false;
        }
        auto dirCount = file_.U32(countAt);
        const uint64_t resourceDir = countAt + 4 + 2 * 8;
        if (!dirCount || *dirCount < 3 || resourceDir + 8 > optional + *optionalSize) {
            return false;
        }
        auto rva = file_.U32(resourceDir);
        auto table = file_.Bytes(optional + *optionalSize, 40ULL * *sections);
        if (!rva || !table || *rva == 0) {
            return false;
        }
        for (size_t i = 0; i < *sections; ++i) {
            const size_t s = 40 * i;
            sections_.push_back(
                {ReadU32(*table, s + 12), ReadU32(*table, s + 16), ReadU32(*table, s + 20)});
        }
        if (!Offset(*rva, 16)) {
            return false;
        }
        rootRva_ = *rva;
        return true;
    }

    std::string Icon(int index) {
        auto groups = Directory(0, ResourceGroupIcon);
        if (!groups) {
            return {};
        }
        auto entries = Entries(*groups);
        std::optional<uint32_t> chosen;
        if (index >= 0 && static_cast<size_t>(index) < entries.size()) {
            chosen = entries[static_cast<size_t>(index)].second;
        }
        for (const auto& [id, offset] : entries) {
            if (index < 0 && id == static_cast<uint32_t>(-static_cast<int64_t>(index))) {
                chosen = offset;
            }
        }
        if (!chosen) {
            return {};
        }
        auto group = Leaf(*chosen, MaxGroupBytes);
        if (!group) {
            return {};
        }
        auto icons = Directory(0, ResourceIcon);
        return AssembleIcon(*group, [&](uint32_t id) -> std::optional<std::string> {
            if (!icons) {
                return std::nullopt;
            }
            for (const auto& [entryId, offset] : Entries(*icons)) {
                if (entryId == id) {
                    return Leaf(offset, MaxIconImageBytes);
                }
            }
            return std::nullopt;
        });
    }

private:
    struct TSection {
        uint32_t Address, RawSize, RawOffset;
    };

    std::optional<uint64_t> Offset(uint64_t rva, uint64_t count) const {
        for (const TSection& s : sections_) {
            if (rva >= s.Address && rva - s.Address <= s.RawSize &&
                count <= s.RawSize - (rva - s.Address)) {
                return s.RawOffset + (rva - s.Address);
            }
        }
        return std::nullopt;
    }

    // The (id, entry offset) pairs of the directory at `dir` (relative to the root); named
    // entries carry no id and never match one.
    std::vector<std::pair<uint32_t, uint32_t>> Entries(uint32_t dir) const {
        std::vector<std::pair<uint32_t, uint32_t>> out;
        auto head = ResourceBytes(dir, 16);
        if (!head) {
            return out;
        }
        const uint64_t count = static_cast<uint64_t>(ReadU16(*head, 12)) + ReadU16(*head, 14);
        if (count > MaxDirectoryEntries) {
            return out;
        }
        auto entries = ResourceBytes(static_cast<uint64_t>(dir) + 16, 8 * count);
        if (!entries) {
            return out;
        }
        for (size_t i = 0; i < count; ++i) {
            const uint32_t name = ReadU32(*entries, 8 * i);
            const uint32_t offset = ReadU32(*entries, 8 * i + 4);
            out.emplace_back(name & 0x80000000u ? 0xFFFFFFFFu : name, offset);
        }
        return out;
    }

    // The sub-directory of entry `id` in the directory at `dir`.
    std::optional<uint32_t> Directory(uint32_t dir, uint32_t id) const {
        for (const auto& [entryId, offset] : Entries(dir)) {
            if (entryId == id && (offset & 0x80000000u)) {
                return offset & 0x7FFFFFFFu;
            }
        }
        return std::nullopt;
    }

    // The data of a name entry: its first language's data, at most `limit` bytes.
    std::optional<std::string> Leaf(uint32_t entry, uint32_t limit) const {
        if (!(entry & 0x80000000u)) {
            return std::nullopt;
        }
        auto languages = Entries(entry & 0x7FFFFFFFu);
        if (languages.empty() || (languages.front().second & 0x80000000u)) {
            return std::nullopt;
        }
        auto data = ResourceBytes(languages.front().second, 8);
        if (!data) {
            return std::nullopt;
        }
        const uint32_t rva = ReadU32(*data, 0);
        const uint32_t size = ReadU32(*data, 4);
        if (size > limit) {
            return std::nullopt;
        }
        auto at = Offset(rva, size);
        return at ? file_.Bytes(*at, size) : std::nullopt;
    }

    std::optional<std::string> ResourceBytes(uint64_t offset, uint64_t count) const {
        auto at = Offset(rootRva_ + offset, count);
        return at ? file_.Bytes(*at, count) : std::nullopt;
    }

    const TByteReader& file_;
    std::vector<TSection> sections_;
    uint64_t rootRva_ = 0;
};

// NE files: one table of resource types, each with its resources, offsets and lengths in
// units of the table's alignment.
std::string NeIcon(const TByteReader& file, uint64_t ne, int index) {
    auto tableOffset = file.U16(ne + 0x24);
    auto namesOffset = file.U16(ne + 0x26);
    if (!tableOffset || !namesOffset || *namesOffset <= *tableOffset) {
        return {};
    }
    auto table = file.Bytes(ne + *tableOffset, *namesOffset - *tableOffset);
    if (!table || table->size() < 2) {
        return {};
    }
    const uint32_t shift = ReadU16(*table, 0);
    if (shift > 16) {
        return {};
    }
    struct TResource {
        uint32_t Id;
        uint64_t Offset, Length;
    };
    std::vector<TResource> groups;
    std::vector<TResource> icons;
    size_t at = 2;
    while (at + 2 <= table->size()) {
        const uint32_t type = ReadU16(*table, at);
        if (type == 0) {
            break;
        }
        if (at + 8 > table->size()) {
            return {};
        }
        const size_t count = ReadU16(*table, at + 2);
        at += 8;
        if (table->size() - at < 12 * count) {
            return {};
        }
        for (size_t i = 0; i < count; ++i, at += 12) {
            TResource r{ReadU16(*table, at + 6),
                        static_cast<uint64_t>(ReadU16(*table, at)) << shift,
                        static_cast<uint64_t>(ReadU16(*table, at + 2)) << shift};
            if (type == (0x8000 | ResourceGroupIcon)) {
                groups.push_back(r);
            } else if (type == (0x8000 | ResourceIcon)) {
                icons.push_back(r);
            }
        }
    }
    const TResource* chosen = nullptr;
    if (index >= 0 && static_cast<size_t>(index) < groups.size()) {
        chosen = &groups[static_cast<size_t>(index)];
    }
    for (const TResource& g : groups) {
        if (index < 0 && g.Id == (0x8000u | static_cast<uint32_t>(-static_cast<int64_t>(index)))) {
            chosen = &g;
        }
    }
    if (!chosen || chosen->Length > MaxGroupBytes) {
        return {};
    }
    // The length is rounded up to the alignment: a group or image may be shorter.
    auto readResource = [&](const TResource& r, uint64_t limit) -> std::optional<std::string> {
        if (r.Offset >= file.Size()) {
            return std::nullopt;
        }
        const uint64_t length = std::min(r.Length, file.Size() - r.Offset);
        return length > limit ? std::nullopt : file.Bytes(r.Offset, length);
    };
    auto group = readResource(*chosen, MaxGroupBytes);
    if (!group) {
        return {};
    }
    return AssembleIcon(*group, [&](uint32_t id) -> std::optional<std::string> {
        for (const TResource& icon : icons) {
            if (icon.Id == (0x8000u | id)) {
                return readResource(icon, MaxIconImageBytes);
            }
        }
        return std::nullopt;
    });
}

std::string ReadIcon(const TByteReader& file, int index) {
    auto mz = file.Bytes(0, 64);
    if (!mz || mz->substr(0, 2) != "MZ") {
        return {};
    }
    const uint64_t header = ReadU32(*mz, 0x3C);
    auto signature = file.Bytes(header, 4);
    if (!signature) {
        return {};
    }
    if (*signature == std::string("PE\0\0", 4)) {
        TPeResources resources(file);
        return resources.Open(header) ? resources.Icon(index) : std::string();
    }
    if (signature->substr(0, 2) == "NE") {
        return NeIcon(file, header, index);
    }
    return {};
}

} // namespace

std::string ReadProgramIconFromBytes(std::string_view bytes, int index) {
    TByteReader reader(bytes.size(), [bytes](uint64_t at, size_t count, std::string& out) {
        out.assign(bytes.substr(static_cast<size_t>(at), count));
        return true;
    });
    return ReadIcon(reader, index);
}

std::string ReadProgramIcon(const std::filesystem::path& path, int index) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0) {
        return {};
    }
    TByteReader reader(static_cast<uint64_t>(size),
                       [&in](uint64_t at, size_t count, std::string& out) {
                           out.assign(count, '\0');
                           in.clear();
                           in.seekg(static_cast<std::streamoff>(at));
                           in.read(out.data(), static_cast<std::streamsize>(count));
                           return static_cast<size_t>(in.gcount()) == count;
                       });
    return ReadIcon(reader, index);
}
