#pragma once

// The program's settings keys: a store of named keys ("" is the program's own key; "Config",
// "RecentFile" and "BinderList" lie below it), each holding named values, and TRegistry, the
// key-at-a-time access the settings code is written against.

#include "platform/base/Exceptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the keys live. Values are kept as text: integers as signed decimal, booleans as 0 and
// 1, strings as their bytes.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    virtual bool KeyExists(const std::string& key) const = 0;
    virtual void CreateKey(const std::string& key) = 0;
    virtual std::optional<std::string> ReadValue(const std::string& key,
                                                 const std::string& name) const = 0;
    virtual void WriteValue(const std::string& key, const std::string& name,
                            const std::string& value) = 0;
    // False when there was no such value.
    virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
    // The key's value names, in name order.
    virtual std::vector<std::string> ValueNames(const std::string& key) const = 0;
};

// A value that cannot be read as asked (missing where a number is needed, not a number), or
// an access with no key open.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(ISettingsStore& store) : store_(store) {}

    // Makes `key` the current key. Without `canCreate` a key that does not exist is not
    // opened and false is returned.
    bool OpenKey(const std::string& key, bool canCreate);
    void CloseKey() { current_.reset(); }
    bool KeyExists(const std::string& key) const { return store_.KeyExists(key); }

    bool ValueExists(const std::string& name) const;
    // "" when the value does not exist.
    std::string ReadString(const std::string& name) const;
    // Raises ERegistryException when the value does not exist or is not a 32-bit decimal.
    int32_t ReadInteger(const std::string& name) const;
    // Any non-zero integer reads as true.
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int32_t value);
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    bool DeleteValue(const std::string& name);
    std::vector<std::string> GetValueNames() const;

private:
    const std::string& Current() const;

    ISettingsStore& store_;
    std::optional<std::string> current_;
};
