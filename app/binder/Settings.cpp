#include "app/binder/Settings.h"

#include "platform/base/Files.h"
#include "platform/base/Registry.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <utility>

namespace {

const std::string BaseKey;
const std::string ConfigKey = "Config";
const std::string RecentKey = "RecentFile";
const std::string BinderListKey = "BinderList";

constexpr int32_t RecentCapacity = 5;
constexpr int32_t RecentMenuSize = 4;

std::string RecentName(int32_t n) {
    return "Recent" + IntToHex(n, 1);
}

std::string BinderName(int32_t n) {
    return "Binder" + IntToHex(n, 1);
}

// A stored integer, or nothing when it is missing or not a number (a hand-edited file must
// not stop the program from starting).
std::optional<int32_t> StoredInteger(const TRegistry& registry, const std::string& name) {
    if (!registry.ValueExists(name)) {
        return std::nullopt;
    }
    try {
        return registry.ReadInteger(name);
    } catch (const ERegistryException&) {
        return std::nullopt;
    }
}

void ReadStored(const TRegistry& registry, const std::string& name, int32_t& value) {
    value = StoredInteger(registry, name).value_or(value);
}

void ReadStored(const TRegistry& registry, const std::string& name, std::optional<int32_t>& value) {
    if (std::optional<int32_t> stored = StoredInteger(registry, name)) {
        value = stored;
    }
}

void ReadStored(const TRegistry& registry, const std::string& name, bool& value) {
    if (std::optional<int32_t> stored = StoredInteger(registry, name)) {
        value = *stored != 0;
    }
}

void ReadStored(const TRegistry& registry, const std::string& name, std::string& value) {
    if (registry.ValueExists(name)) {
        value = registry.ReadString(name);
    }
}

} // namespace

TSettings DefaultSettings(const std::string& startFolder) {
    TSettings settings;
    settings.ResSaveDir = JoinPath(startFolder, "resource");
    return settings;
}

void LoadSettings(ISettingsStore& store, TSettings& settings) {
    TRegistry registry(store);
    if (registry.OpenKey(BaseKey, false)) {
        std::string workDir = registry.ReadString("WorkDir");
        if (!workDir.empty()) {
            if (workDir.size() > 1 && workDir.back() == '/') {
                workDir.pop_back();
            }
            settings.WorkDir = workDir;
        }
        settings.Version = registry.ReadString("Version");
    }
    registry.OpenKey(RecentKey, true);
    ReadStored(registry, "LastFile", settings.LastFile);
    if (!registry.OpenKey(ConfigKey, false)) {
        return;
    }
    ReadStored(registry, "Left", settings.Left);
    ReadStored(registry, "Top", settings.Top);
    ReadStored(registry, "Width", settings.Width);
    ReadStored(registry, "Height", settings.Height);
    ReadStored(registry, "FormMax", settings.FormMax);
    ReadStored(registry, "LeftWide", settings.LeftWide);
    ReadStored(registry, "LeftEnabled", settings.LeftEnabled);
    ReadStored(registry, "ListMode", settings.ListMode);
    ReadStored(registry, "ShowPageViaFile", settings.ShowPageViaFile);
    ReadStored(registry, "StripScript", settings.StripScript);
    ReadStored(registry, "RecursiveImport", settings.RecursiveImport);
    ReadStored(registry, "AskBeforeDelete", settings.AskBeforeDelete);
    ReadStored(registry, "AskBeforeClose", settings.AskBeforeClose);
    ReadStored(registry, "ShowTips", settings.ShowTips);
    ReadStored(registry, "ResSaveDir", settings.ResSaveDir);
}

void SaveSettings(ISettingsStore& store, const TSettings& settings) {
    TRegistry registry(store);
    registry.OpenKey(ConfigKey, true);
    registry.WriteInteger("LeftWide", settings.LeftWide);
    registry.WriteBool("FormMax", settings.FormMax);
    const std::pair<const char*, const std::optional<int32_t>*> bounds[] = {
        {"Left", &settings.Left},
        {"Top", &settings.Top},
        {"Width", &settings.Width},
        {"Height", &settings.Height}};
    for (const auto& [name, value] : bounds) {
        if (value->has_value()) {
            registry.WriteInteger(name, **value);
        }
    }
    registry.WriteInteger("ListMode", settings.ListMode);
    registry.WriteBool("ShowPageViaFile", settings.ShowPageViaFile);
    registry.WriteBool("StripScript", settings.StripScript);
    registry.WriteBool("RecursiveImport", settings.RecursiveImport);
    registry.WriteInteger("LastNodeID", static_cast<int32_t>(settings.LastNodeID));
    registry.WriteBool("LeftEnabled", settings.LeftEnabled);
    registry.WriteBool("AskBeforeDelete", settings.AskBeforeDelete);
    registry.WriteBool("AskBeforeClose", settings.AskBeforeClose);
    registry.WriteBool("ShowTips", settings.ShowTips);
    registry.WriteString("ResSaveDir", settings.ResSaveDir);
}

std::vector<std::string> UpdateRecentFiles(ISettingsStore& store, const std::string& path) {
    TRegistry registry(store);
    registry.OpenKey(RecentKey, true);
    // A number outside the list (a damaged file) would otherwise write past its five entries.
    int32_t latest = std::clamp(StoredInteger(registry, "Latest").value_or(0), 0, RecentCapacity);

    bool isNew = true;
    std::vector<std::string> menu;
    for (int32_t n = latest; n >= 1 && n > latest - RecentMenuSize; --n) {
        if (registry.ValueExists(RecentName(n))) {
            menu.push_back(registry.ReadString(RecentName(n)));
            isNew = isNew && menu.back() != path;
        }
    }

    if (registry.ValueExists("LastFile") && registry.ReadString("LastFile") == path) {
        return menu;
    }
    registry.WriteString("LastFile", path);
    if (!isNew) {
        return menu;
    }
    if (latest == RecentCapacity) {
        // The oldest two go together; the other three move down to the first places.
        std::vector<std::pair<int32_t, std::string>> kept;
        for (int32_t n = 3; n <= RecentCapacity; ++n) {
            if (registry.ValueExists(RecentName(n))) {
                kept.emplace_back(n - 2, registry.ReadString(RecentName(n)));
            }
        }
        for (int32_t n = 1; n <= RecentCapacity; ++n) {
            registry.DeleteValue(RecentName(n));
        }
        for (const auto& [n, value] : kept) {
            registry.WriteString(RecentName(n), value);
        }
        latest = 4;
    } else {
        latest += 1;
    }
    registry.WriteString(RecentName(latest), path);
    registry.WriteInteger("Latest", latest);
    return menu;
}

void AddBinderToList(ISettingsStore& store, const std::string& path) {
    TRegistry registry(store);
    registry.OpenKey(BinderListKey, true);
    int32_t n = 1;
    while (registry.ValueExists(BinderName(n))) {
        ++n;
    }
    registry.WriteString(BinderName(n), path);
}

void RemoveBinderFromList(ISettingsStore& store, const std::string& path) {
    TRegistry registry(store);
    if (!registry.OpenKey(BinderListKey, false)) {
        return;
    }
    for (const std::string& name : registry.GetValueNames()) {
        if (registry.ReadString(name) == path) {
            registry.DeleteValue(name);
        }
    }
}

namespace {

// The number of a "Binder<hex>" value name; names of any other form come after every number,
// in the store's order.
uint64_t BinderNumber(const std::string& name) {
    constexpr std::string_view prefix = "Binder";
    uint32_t n = 0;
    const std::string_view digits =
        std::string_view(name).substr(std::min(name.size(), prefix.size()));
    const bool hex =
        name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
        digits.size() <= 8 &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return HexDigitValue(c) >= 0; }) &&
        ScanHex(digits, n);
    return hex ? n : uint64_t{1} << 32;
}

} // namespace

std::vector<std::string> ReadBinderList(ISettingsStore& store) {
    std::vector<std::string> paths;
    TRegistry registry(store);
    if (registry.OpenKey(BinderListKey, false)) {
        // The store lists names in text order (Binder1, Binder10, Binder2...); the list keeps
        // the order the binders were added in, which is the order of their numbers.
        std::vector<std::string> names = registry.GetValueNames();
        std::stable_sort(names.begin(), names.end(),
                         [](const std::string& a, const std::string& b) {
                             return BinderNumber(a) < BinderNumber(b);
                         });
        for (const std::string& name : names) {
            std::string path = registry.ReadString(name);
            if (!path.empty()) {
                paths.push_back(path);
            }
        }
    }
    return paths;
}
