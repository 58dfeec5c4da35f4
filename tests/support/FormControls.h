#pragma once

// A form's control by its name; the test fails (and gets null) when the form has none such.

#include <QObject>
#include <gtest/gtest.h>

template <typename T> T* Control(const QObject& form, const char* name) {
    T* control = form.findChild<T*>(name);
    if (control == nullptr) {
        ADD_FAILURE() << "no control " << name;
    }
    return control;
}
