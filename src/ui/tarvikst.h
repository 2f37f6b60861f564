#pragma once
// The program's four windows, created in their order: main window (whose
// creation runs the start-up with options, language and histories), info
// window, error window, preview window. They live until the program ends.

#include "ui/error.h"
#include "ui/info.h"
#include "ui/tarvikmain.h"
#include "ui/vorschau.h"

#include <memory>

namespace tarvik::ui {

struct TTarvikWindows {
  TTarvikWindows();
  ~TTarvikWindows();

  std::unique_ptr<TfrmTarvik> frmTarvik;
  std::unique_ptr<Tfrminfo> frminfo;
  std::unique_ptr<TfrmError> frmError;
  std::unique_ptr<TfrmVorschau> frmVorschau;
};

}  // namespace tarvik::ui
