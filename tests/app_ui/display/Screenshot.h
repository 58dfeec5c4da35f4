#pragma once

// Pictures of the window tests, kept in the build folder for a look.

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>

// Saves a picture of `widget` under `name`; its path.
inline std::string Screenshot(QWidget& widget, const char* name) {
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    const std::string path = std::string(TARNWICK_SCREENSHOT_DIR) + "/" + name;
    EXPECT_TRUE(widget.grab().save(QString::fromStdString(path), "PNG")) << name;
    return path;
}
