#include "platform/base/MemorySettingsStore.h"

std::optional<std::string> MemorySettingsStore::ReadValue(const std::string& key,
                                                          const std::string& name) const {
    auto found = keys_.find(key);
    if (found == keys_.end()) {
        return std::nullopt;
    }
    auto value = found->second.find(name);
    if (value == found->second.end()) {
        return std::nullopt;
    }
    return value->second;
}

bool MemorySettingsStore::DeleteValue(const std::string& key, const std::string& name) {
    auto found = keys_.find(key);
    return found != keys_.end() && found->second.erase(name) != 0;
}

std::vector<std::string> MemorySettingsStore::ValueNames(const std::string& key) const {
    std::vector<std::string> names;
    auto found = keys_.find(key);
    if (found != keys_.end()) {
        for (const auto& [name, value] : found->second) {
            names.push_back(name);
        }
    }
    return names;
}
