#include <QApplication>
#include <QMainWindow>
#include <QImage>
#include <gtest/gtest.h>

// Proves the Qt stack builds, starts offscreen and paints.
TEST(QtSmoke, MainWindowShowsAndPaints)
{
  int argc = 1;
  char name[] = "tests_ui";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QMainWindow window;
  window.resize(320, 200);
  window.show();
  QApplication::processEvents();
  EXPECT_TRUE(window.isVisible());
  QImage shot = window.grab().toImage();
  EXPECT_EQ(shot.width() > 0, true);
  window.close();
  EXPECT_FALSE(window.isVisible());
}
