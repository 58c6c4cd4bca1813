// main() for the Qt tests: one QApplication on the offscreen platform for every test. Test
// discovery runs the binary at build time without the test environment, hence the default here.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
