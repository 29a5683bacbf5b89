#pragma once
// The one QApplication of a test binary: made on first use, named after the binary, and left
// for process exit (destroying it among static destructors crashes in Qt). Closing the last
// window does not quit it: tests open and close windows one after another.

#include <errno.h>  // program_invocation_short_name

#include <QApplication>

namespace dz::test {

inline QApplication& TestApplication() {
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

}  // namespace dz::test
