// A Form1 wired to test doubles, with helpers to find its controls by name.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <memory>

#include "app/Form1.h"
#include "tests/support/ScriptedServices.h"

namespace plenwick::testing {

// Processes pending events like the real yield; `during`, when set, runs inside each yield
// first, as a click that was waiting would.
class TestYield final : public shell::YieldService {
 public:
  bool Yield() override {
    ++count;
    if (during) during();
    QCoreApplication::processEvents();
    return true;
  }
  std::function<void()> during;
  int count = 0;
};

class Form1Fixture : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<app::Form1>(app::Form1Services{messages, opener, picker, yield});
    form->SetEndAction([this] { ++ended; });
  }
  void TearDown() override {
    form.reset();
    QApplication::processEvents();
  }

  template <typename T = QWidget>
  T* Control(const char* name) const {
    T* control = form->findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QLabel* Label(const char* name) const { return Control<QLabel>(name); }
  QPushButton* Button(const char* name) const { return Control<QPushButton>(name); }
  QLineEdit* TextBox() const { return Control<QLineEdit>("txtvCFPath"); }

  // Shows the window and waits until it is the active one, as a user would find it.
  void ShowAndActivate();

  ScriptedPicker picker;
  RecordingOpener opener;
  RecordingMessages messages;
  TestYield yield;
  std::unique_ptr<app::Form1> form;
  int ended = 0;
};

}  // namespace plenwick::testing
