// A QApplication for the GUI tests of one program: made when a test needs it and no other
// test has one running.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

class TQtAppTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (!QCoreApplication::instance()) {
      static int argc = 1;
      static char name[] = "tests_ui";
      static char* argv[] = {name, nullptr};
      FApp = std::make_unique<QApplication>(argc, argv);
    }
  }
  void TearDown() override { FApp.reset(); }

private:
  std::unique_ptr<QApplication> FApp;
};
