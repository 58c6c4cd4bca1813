// Clicks "Join Documents" in the window, offscreen, with the real join run and the real yield
// (the counters are updated and events processed as for a user), and prints how long the join
// took and the peak memory. The destination question is answered with DEST; the closing message
// is printed instead of shown.
//
//   QT_QPA_PLATFORM=offscreen plenwick-window-join-bench SOURCE DEST
#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/Form1.h"
#include "app/JoinWiring.h"
#include "shell/qt/EventYield.h"
#include "tests/support/ScriptedServices.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: plenwick-window-join-bench SOURCE DEST\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  plenwick::testing::ScriptedPicker picker;
  for (int i = 0; i < 4; ++i) picker.Answer(argv[2]);
  plenwick::testing::RecordingOpener opener;
  plenwick::testing::RecordingMessages messages;
  plenwick::shell::EventYield yield;
  plenwick::app::Form1 form(plenwick::app::Form1Services{messages, opener, picker, yield});
  plenwick::app::WireJoinRun(form);
  form.sourceFolder = argv[1];
  form.ShowCentred();
  QApplication::processEvents();

  using Clock = std::chrono::steady_clock;
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = Clock::now();
  const plenwick::Status status = form.CmdSplit_Click();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  for (const auto& m : messages.shown) std::printf("message: %s\n", m.text.c_str());
  if (!status) std::printf("failed: %s\n", status.error().message.c_str());
  auto cpu = [](const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  // On a busy machine wall time mostly measures the neighbours; processor time is the join's.
  std::printf("window join in %.2f s (processor %.2f s), peak memory %.1f MB\n", seconds,
              cpu(usage) - cpu(before), static_cast<double>(usage.ru_maxrss) / 1024.0);
  return status ? 0 : 1;
}
