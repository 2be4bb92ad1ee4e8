// Widget tests need one QApplication for the whole run; CTest asks for the offscreen platform,
// and test discovery at build time gets it here.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrona"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
