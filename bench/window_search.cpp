// Times a search through the real main window against tarvik-find on the
// same folder: the first search (the candidates are collected in the run) and
// repeated ones (the list stands), with the window's default kinds (Writer
// documents and templates, 2.0 formats, sub-folders), which tarvik-find gets
// as "-k writer -t". Also measures how long "Suche abbrechen" takes to end a
// run and the longest time the window's thread did not answer during a run.
//
// usage: window_search FOLDER PHRASE TARVIK-FIND [RUNS]
// Runs on the platform QT_QPA_PLATFORM names (offscreen when unset), in a
// fresh start-up folder under $TMPDIR. Wall times are medians; CPU times
// (user + system, all threads) are less disturbed by other load.

#include "ui/qt_host.h"
#include "ui/tarvikst.h"

#include "platform/file_system.h"
#include "platform/host.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TTimes {
  std::vector<double> wall, cpu;
  double Wall() const { return Median(wall); }
  double Cpu() const { return Median(cpu); }
  static double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
  }
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Seconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e9; }

// Ticks every 5 ms while a run goes on and keeps the longest gap between two
// ticks: how long the window's thread did not answer.
class TResponsiveness {
 public:
  TResponsiveness() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
  }
  void Start() {
    clock_.start();
    last_ = 0;
    timer_.start();
  }
  void Stop() {
    longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
    timer_.stop();
  }
  double Longest() const { return static_cast<double>(longest_) / 1e9; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: window_search FOLDER PHRASE TARVIK-FIND [RUNS]\n");
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString phrase = QString::fromLocal8Bit(argv[2]);
  const QString findTool = QString::fromLocal8Bit(argv[3]);
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;

  // A fresh start-up folder: the default options.
  const std::filesystem::path startup =
      std::filesystem::temp_directory_path() / ("tarvik-window-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(startup);
  tarvik::SetCurrentDir(startup.string());

  QApplication application(argc, argv);
  tarvik::ui::TQtHost host;
  tarvik::SetHost(&host);
  int status = 0;
  // Inside the event loop, as a user's click would be.
  QTimer::singleShot(0, [&] {
    auto windows = std::make_unique<tarvik::ui::TTarvikWindows>();
    tarvik::ui::TfrmTarvik& w = *windows->frmTarvik;
    w.show();
    QApplication::processEvents();
    w.edVerzeichnis->setEditText(folder);
    w.edSearch->setEditText(phrase);

    TResponsiveness firstAnswers, repeatedAnswers;
    auto search = [&](TTimes& times, TResponsiveness& answers) {
      QElapsedTimer clock;
      const double cpu = CpuSeconds(RUSAGE_SELF);
      answers.Start();
      clock.start();
      w.BtSuch->click();
      times.wall.push_back(Seconds(clock));
      times.cpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu);
      answers.Stop();
      QApplication::processEvents();
    };
    auto find = [&](TTimes& times) {
      QProcess process;
      process.setStandardOutputFile(QProcess::nullDevice());
      process.setStandardErrorFile(QProcess::nullDevice());
      QElapsedTimer clock;
      const double cpu = CpuSeconds(RUSAGE_CHILDREN);
      clock.start();
      process.start(findTool, {QStringLiteral("-k"), QStringLiteral("writer"), QStringLiteral("-t"), folder, phrase});
      process.waitForFinished(-1);
      times.wall.push_back(Seconds(clock));
      times.cpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpu);
    };

    // The session's first search also asks the desktop which application
    // opens the first hit (remembered from then on): timed apart.
    TTimes session, first, repeated, tool;
    search(session, firstAnswers);
    for (int run = 0; run < runs; ++run) {
      w.btleeren->click();  // "Neue Suche": the candidates are collected again
      search(first, firstAnswers);
      search(repeated, repeatedAnswers);
      search(repeated, repeatedAnswers);
      find(tool);
    }
    const int hits = w.lbergebnis->count();
    const int candidates = w.lbDateienAuswahl->count();

    // "Suche abbrechen", pressed once a third of the documents are taken.
    std::vector<double> stops;
    for (int run = 0; run < runs; ++run) {
      QElapsedTimer clock;
      qint64 pressed = -1;
      QTimer watch;
      watch.setInterval(1);
      QObject::connect(&watch, &QTimer::timeout, [&] {
        if (pressed >= 0 || w.ProgressBar1->value() < candidates / 3) return;
        pressed = clock.nsecsElapsed();
        w.btbreak->click();
      });
      watch.start();
      clock.start();
      w.BtSuch->click();
      watch.stop();
      if (pressed >= 0) stops.push_back(static_cast<double>(clock.nsecsElapsed() - pressed) / 1e9);
      QApplication::processEvents();
    }

    const double t = tool.Wall(), f = first.Wall(), r = repeated.Wall();
    std::printf("%d candidates, %d result lines\n", candidates, hits);
    std::printf("                          wall (ratio)        cpu (ratio)\n");
    std::printf("tarvik-find -k writer -t  %.3f s            %.3f s\n", t, tool.Cpu());
    std::printf("window, first search      %.3f s (%.2f x)   %.3f s (%.2f x)   goal <= 1.3 x\n", f, f / t, first.Cpu(),
                first.Cpu() / tool.Cpu());
    std::printf("window, repeated search   %.3f s (%.2f x)   %.3f s (%.2f x)   goal <= 1.3 x\n", r, r / t,
                repeated.Cpu(), repeated.Cpu() / tool.Cpu());
    std::printf("window, session's first   %.3f s            (with the desktop's association query)\n", session.Wall());
    if (stops.empty()) {
      std::printf("stop button to run's end  not measured (the runs ended first)\n");
    } else {
      std::printf("stop button to run's end  %.3f s            goal <= 0.2 s\n", TTimes::Median(stops));
    }
    std::printf(
        "longest stretch the window did not answer: %.3f s in first searches (collecting the "
        "candidates), %.3f s in repeated ones\n",
        firstAnswers.Longest(), repeatedAnswers.Longest());
    status = f / t <= 1.3 && r / t <= 1.3 ? 0 : 1;
    QApplication::exit(status);
  });
  QApplication::exec();
  tarvik::SetHost(nullptr);
  std::filesystem::remove_all(startup);
  return status;
}
