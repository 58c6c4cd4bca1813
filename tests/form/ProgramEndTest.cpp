// The bookkeeping that lets the program end only after every running handler has returned.
#include "form/ProgramEnd.h"

#include <gtest/gtest.h>

#include <optional>

namespace plenwick::form {
namespace {

TEST(ProgramEnd, EndsAtOnceWhenNoHandlerRuns) {
  int ended = 0;
  ProgramEnd end([&] { ++ended; });
  EXPECT_FALSE(end.ending());
  end.Request();
  EXPECT_TRUE(end.ending());
  EXPECT_TRUE(end.ended());
  EXPECT_EQ(ended, 1);
  end.Request();
  EXPECT_EQ(ended, 1);
}

TEST(ProgramEnd, WaitsForTheOutermostHandler) {
  int ended = 0;
  ProgramEnd end([&] { ++ended; });
  std::optional<ProgramEnd::Running> outer(std::in_place, end);
  {
    const ProgramEnd::Running inner(end);
    EXPECT_EQ(end.running(), 2);
    end.Request();
    EXPECT_EQ(ended, 0);
  }
  EXPECT_EQ(ended, 0);
  outer.reset();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(end.running(), 0);
}

TEST(ProgramEnd, HandlersThatReturnWithoutAnEndEndNothing) {
  int ended = 0;
  ProgramEnd end([&] { ++ended; });
  { const ProgramEnd::Running running(end); }
  EXPECT_EQ(ended, 0);
  EXPECT_FALSE(end.ending());
}

}  // namespace
}  // namespace plenwick::form
