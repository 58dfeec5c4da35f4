#include "platform/base/Registry.h"

#include "platform/base/StringUtils.h"

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    if (!store_.KeyExists(key)) {
        if (!canCreate) {
            return false;
        }
        store_.CreateKey(key);
    }
    current_ = key;
    return true;
}

const std::string& TRegistry::Current() const {
    if (!current_) {
        throw ERegistryException("no settings key is open");
    }
    return *current_;
}

bool TRegistry::ValueExists(const std::string& name) const {
    return store_.ReadValue(Current(), name).has_value();
}

std::string TRegistry::ReadString(const std::string& name) const {
    return store_.ReadValue(Current(), name).value_or(std::string());
}

int32_t TRegistry::ReadInteger(const std::string& name) const {
    std::optional<std::string> text = store_.ReadValue(Current(), name);
    if (!text) {
        throw ERegistryException("Invalid data type for '" + name + "'");
    }
    try {
        return StrToInt(*text);
    } catch (const EConvertError&) {
        throw ERegistryException("Invalid data type for '" + name + "'");
    }
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    store_.WriteValue(Current(), name, value);
}

void TRegistry::WriteInteger(const std::string& name, int32_t value) {
    store_.WriteValue(Current(), name, IntToStr(value));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return store_.DeleteValue(Current(), name);
}

std::vector<std::string> TRegistry::GetValueNames() const {
    return store_.ValueNames(Current());
}
