// Test entry point for suites that need a QApplication: widgets, timers and posted events; or,
// built with TARNWICK_GUI_ONLY, a QGuiApplication for the suites that draw without widgets.
#ifdef TARNWICK_GUI_ONLY
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QApplication>
using TestApplication = QApplication;
#endif
#include <gtest/gtest.h>

#if defined(__SANITIZE_THREAD__)
// Qt is not built with the thread checker: the locks and thread pools inside it (the painter's,
// the image conversions') are invisible to it, and the copies it makes there would be reported as
// races with whoever reads the pixels after it. What Qt's own libraries copy is left out; our
// code is still checked. Picture preparers started from the test program read this too.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Svg.so.6\n";
}
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests)) {
        // Listing happens at build time, where there may be no display to open.
        return RUN_ALL_TESTS();
    }
#ifdef TARNWICK_OFFSCREEN
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // The embedded browser runs as root in CI, without a GPU.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
