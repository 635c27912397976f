#pragma once

#include "TestHome.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, but HOME and XDG_CONFIG_HOME point at a fresh temporary
// directory before the application object exists, and the platform is
// offscreen unless the caller chose another.
#define FBM_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char* argv[])                                                                         \
    {                                                                                                        \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        TestHome home;                                                                                       \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
