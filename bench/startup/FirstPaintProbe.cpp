#include "FirstPaintProbe.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>

#include "app/Program.h"

namespace plenwick::bench {
namespace {

long long MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

void Mark(const char* name) {
  std::printf("%s %lld\n", name, MonotonicNanoseconds());
}

// Waits for the first paint of the main window; once that paint pass is over, marks it and
// leaves the event loop.
class FirstPaint final : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint && watched->objectName() == "Form1") {
      seen_ = true;
      // Runs after the whole window (every control) has been drawn and flushed.
      QTimer::singleShot(0, [] {
        Mark("painted");
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return false;
  }

 private:
  bool seen_ = false;
};

}  // namespace

int RunFirstPaintProbe(int argc, char* argv[]) {
  Mark("main");
  QApplication application(argc, argv);
  Mark("application");
  FirstPaint firstPaint;
  application.installEventFilter(&firstPaint);
  const auto program = app::StartProgram();
  Mark("shown");
  return QApplication::exec();
}

}  // namespace plenwick::bench
