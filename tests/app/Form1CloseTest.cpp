// Ending the program: "Close this Application" and the window's close, also from inside a
// handler that is yielding, with nested handlers, and with a modal message box open.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "shell/qt/EventYield.h"
#include "shell/qt/QtMessageBox.h"
#include "tests/app/Form1Fixture.h"

namespace plenwick::testing {
namespace {

// Stands for what a handler holds while it runs; records when it lets go.
class Holding {
 public:
  Holding(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
  ~Holding() { log_.push_back("released " + name_); }
  Holding(const Holding&) = delete;
  Holding& operator=(const Holding&) = delete;

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

class Form1Close : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    form->SetEndAction([this] {
      ++ended;
      log.push_back("ended");
    });
    ShowAndActivate();
    picker.Answer("/srv/docs");
    ASSERT_TRUE(form->CmdBrowse_Click().ok());
  }

  // A join handler that yields in a loop until the program ends (or 10 s pass, to fail
  // instead of hanging). `inside` runs at the given turn of the loop.
  void YieldingJoin(int turn, std::function<void()> inside) {
    form->SetJoinHandler([this, turn, inside, run = 0](app::Form1& window) mutable -> Status {
      const Holding holding(log, "run " + std::to_string(++run));
      QElapsedTimer clock;
      clock.start();
      for (int i = 0; clock.elapsed() < 10000; ++i) {
        if (i == turn && inside) {
          auto once = std::move(inside);
          inside = nullptr;
          once();
        }
        if (!window.Yield()) {
          log.push_back("unwinding");
          return Ok();
        }
      }
      log.push_back("timed out");
      return Ok();
    });
  }

  std::vector<std::string> log;
};

TEST_F(Form1Close, CloseThisApplicationEndsAtOnceWhenNothingRuns) {
  QTest::mouseClick(Label("LblClose"), Qt::LeftButton);
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->programEnd().ending());
}

TEST_F(Form1Close, TheWindowsOwnCloseEndsTheSameWay) {
  EXPECT_TRUE(form->close());
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Close, NoHandlerRunsOnceTheProgramIsEnding) {
  QTest::mouseClick(Label("LblClose"), Qt::LeftButton);
  const auto picks = picker.calls.size();
  form->show();  // even if something showed it again
  QTest::mouseClick(Button("CmdBrowse"), Qt::LeftButton);
  QTest::mouseClick(Label("LblWebsite"), Qt::LeftButton);
  QTest::mouseClick(Label("LblClose"), Qt::LeftButton);
  EXPECT_EQ(picker.calls.size(), picks);
  EXPECT_TRUE(opener.opened.empty());
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form->Yield());
}

TEST_F(Form1Close, ClosingInsideAYieldingRunUnwindsItBeforeTheEnd) {
  YieldingJoin(3, [this] { QTest::mouseClick(Label("LblClose"), Qt::LeftButton); });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(log, (std::vector<std::string>{"unwinding", "released run 1", "ended"}));
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(Form1Close, TheTitleBarCloseInsideAYieldingRunDoesTheSame) {
  YieldingJoin(2, [this] { form->close(); });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(log, (std::vector<std::string>{"unwinding", "released run 1", "ended"}));
}

TEST_F(Form1Close, NestedRunsUnwindInnermostFirst) {
  // The first run's yield serves a second click on "Join Documents"; the second run's yield
  // serves "Close this Application".
  int turn = 0;
  form->SetJoinHandler([this, &turn](app::Form1& window) -> Status {
    const int me = ++turn;
    const Holding holding(log, "run " + std::to_string(me));
    for (int i = 0; i < 100000; ++i) {
      if (i == 2 && me == 1) QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
      if (i == 2 && me == 2) QTest::mouseClick(Label("LblClose"), Qt::LeftButton);
      if (!window.Yield()) {
        log.push_back("unwinding " + std::to_string(me));
        return Ok();
      }
    }
    return Ok();
  });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(log, (std::vector<std::string>{"unwinding 2", "released run 2", "unwinding 1",
                                           "released run 1", "ended"}));
  EXPECT_EQ(ended, 1);
}

TEST_F(Form1Close, TheRealEventLoopEndsAfterTheRunUnwinds) {
  // The end action leaves QApplication::exec(), as the program's main does.
  shell::EventYield realYield;
  app::Form1 window(app::Form1Services{messages, opener, picker, realYield});
  window.SetEndAction([this] {
    log.push_back("ended");
    QCoreApplication::exit(7);
  });
  picker.Answer("/srv/docs");
  window.show();
  ASSERT_TRUE(window.CmdBrowse_Click().ok());
  int turns = 0;
  window.SetJoinHandler([this, &turns](app::Form1& self) -> Status {
    const Holding holding(log, "run");
    while (self.Yield()) ++turns;
    log.push_back("unwinding");
    return Ok();
  });
  auto* split = window.findChild<QPushButton*>(QStringLiteral("CmdSplit"));
  auto* close = window.findChild<QLabel*>(QStringLiteral("LblClose"));
  QTimer::singleShot(0, split, [split] { QTest::mouseClick(split, Qt::LeftButton); });
  QTimer::singleShot(50, close, [close] { QTest::mouseClick(close, Qt::LeftButton); });
  QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });  // fail rather than hang
  EXPECT_EQ(QApplication::exec(), 7);
  EXPECT_GT(turns, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"unwinding", "released run", "ended"}));
}

TEST_F(Form1Close, AMessageBoxOpenInAHandlerIsDismissedSoTheHandlerCanUnwind) {
  shell::QtMessageBox realMessages;
  form->SetJoinHandler([this, &realMessages](app::Form1& window) -> Status {
    const Holding holding(log, "run");
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    realMessages.Show("Completed !", shell::kMsgOk);
    log.push_back(window.Yield() ? "went on" : "unwinding");
    return Ok();
  });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  EXPECT_EQ(log, (std::vector<std::string>{"unwinding", "released run", "ended"}));
}

TEST_F(Form1Close, AFailingHandlerIsReportedAndTheWindowGoesOn) {
  form->SetJoinHandler([](app::Form1&) -> Status { return MakeError(5, "Invalid call"); });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Run-time error '5':\n\nInvalid call");
  EXPECT_EQ(messages.shown[0].style, shell::kMsgOk);
  form->SetJoinHandler([](app::Form1&) -> Status { throw std::runtime_error("out of memory"); });
  QTest::mouseClick(Button("CmdSplit"), Qt::LeftButton);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_NE(messages.shown[1].text.find("out of memory"), std::string::npos);
  EXPECT_EQ(ended, 0);
  EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace plenwick::testing
