// Ending the program while handlers may still be running.
//
// The window's handlers can be nested: a handler that yields lets pending clicks run their own
// handlers inside it. When the user closes the program from inside such a yield, every running
// handler must unwind first (releasing what it holds), and only then may the program end. This
// object counts the running handlers; once an end is requested, yields report it, no new handler
// starts, and the end action runs when the last running handler has returned (at once when none is
// running).
#pragma once

#include <functional>

namespace plenwick::form {

class ProgramEnd {
 public:
  explicit ProgramEnd(std::function<void()> endAction);
  ProgramEnd(const ProgramEnd&) = delete;
  ProgramEnd& operator=(const ProgramEnd&) = delete;

  // Marks one handler as running for its lifetime. Check ending() before making one: a handler
  // must not start once the program is ending.
  class [[nodiscard]] Running {
   public:
    explicit Running(ProgramEnd& end);
    ~Running();
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

   private:
    ProgramEnd& end_;
  };

  bool ending() const { return ending_; }
  int running() const { return running_; }
  // Whether the end action has run.
  bool ended() const { return ended_; }

  // Asks for the end. Idempotent.
  void Request();
  void SetEndAction(std::function<void()> endAction);

 private:
  void FinishIfIdle();

  std::function<void()> endAction_;
  int running_ = 0;
  bool ending_ = false;
  bool ended_ = false;
};

}  // namespace plenwick::form
