#include "platform/base/QtSettingsStore.h"

#include <QSettings>
#include <QStringDecoder>

#include <algorithm>
#include <cstdlib>

namespace {

QString QtText(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Valid UTF-8 is stored as readable text; anything else (or text holding NUL) as bytes.
QVariant ToVariant(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError() || bytes.find('\0') != std::string::npos) {
        return QVariant(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    return QVariant(text);
}

std::string FromVariant(const QVariant& value) {
    QByteArray bytes =
        value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Enters a key's group for the length of a scope.
class GroupScope {
public:
    GroupScope(QSettings& settings, const std::string& key) : settings_(settings) {
        if (!key.empty()) {
            settings_.beginGroup(QtText(key));
            entered_ = true;
        }
    }
    ~GroupScope() {
        if (entered_) {
            settings_.endGroup();
        }
    }
    GroupScope(const GroupScope&) = delete;
    GroupScope& operator=(const GroupScope&) = delete;

private:
    QSettings& settings_;
    bool entered_ = false;
};

} // namespace

std::string QtSettingsStore::DefaultFileName() {
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/VelmorSoft/Tarnwick.conf";
}

QtSettingsStore::QtSettingsStore() : QtSettingsStore(DefaultFileName()) {}

QtSettingsStore::QtSettingsStore(const std::string& fileName)
    : settings_(std::make_unique<QSettings>(QtText(fileName), QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::KeyExists(const std::string& key) const {
    if (created_.count(key) != 0) {
        return true;
    }
    GroupScope group(*settings_, key);
    return !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
}

void QtSettingsStore::CreateKey(const std::string& key) {
    created_.insert(key);
}

std::optional<std::string> QtSettingsStore::ReadValue(const std::string& key,
                                                      const std::string& name) const {
    GroupScope group(*settings_, key);
    QVariant value = settings_->value(QtText(name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return FromVariant(value);
}

void QtSettingsStore::WriteValue(const std::string& key, const std::string& name,
                                 const std::string& value) {
    GroupScope group(*settings_, key);
    settings_->setValue(QtText(name), ToVariant(value));
}

bool QtSettingsStore::DeleteValue(const std::string& key, const std::string& name) {
    GroupScope group(*settings_, key);
    if (!settings_->contains(QtText(name))) {
        return false;
    }
    settings_->remove(QtText(name));
    return true;
}

std::vector<std::string> QtSettingsStore::ValueNames(const std::string& key) const {
    GroupScope group(*settings_, key);
    std::vector<std::string> names;
    for (const QString& name : settings_->childKeys()) {
        QByteArray bytes = name.toUtf8();
        names.emplace_back(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool QtSettingsStore::Sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}
