#include "tests/app/Form1Fixture.h"

#include <QTest>

namespace plenwick::testing {

void Form1Fixture::ShowAndActivate() {
  form->ShowCentred();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

}  // namespace plenwick::testing
