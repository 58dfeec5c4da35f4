#pragma once

// The program keeps its texts as UTF-8 bytes; the toolkit's widgets take QString.

#include <QString>

#include <string>

inline QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQ(const QString& text) {
    return text.toUtf8().toStdString();
}
