#include "ui/tarvikst.h"

namespace tarvik::ui {

TTarvikWindows::TTarvikWindows() {
  frmTarvik = std::make_unique<TfrmTarvik>();
  frminfo = std::make_unique<Tfrminfo>();
  frmError = std::make_unique<TfrmError>(frmTarvik.get());
  frmVorschau = std::make_unique<TfrmVorschau>(frmTarvik.get(), frmError.get());
  frmTarvik->SetWindows(frminfo.get(), frmError.get(), frmVorschau.get());
}

TTarvikWindows::~TTarvikWindows() {
  // The other windows go first: the main window is their owner.
  frmVorschau.reset();
  frmError.reset();
  frminfo.reset();
  frmTarvik.reset();
}

}  // namespace tarvik::ui
