#include <gtest/gtest.h>

#include <QApplication>

using namespace Qt::StringLiterals;

// One application object for the whole test program, on the offscreen platform.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"qcm-tests"_s);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
