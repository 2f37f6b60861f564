#include "find/tool_form.h"

#include "search/document_collection.h"

#include "platform/code_page.h"

#include <unistd.h>

namespace tarvik {
namespace {

TMatchMode MatchModeOf(TFindMode mode) {
  switch (mode) {
    case TFindMode::Every: return TMatchMode::EveryWord;
    case TFindMode::Any: return TMatchMode::AnyWord;
    default: return TMatchMode::WholeText;
  }
}

bool Colored(TColorWhen when) {
  return when == TColorWhen::Always || (when == TColorWhen::Auto && ::isatty(STDOUT_FILENO));
}

}  // namespace

TToolForm::TToolForm(const TFindOptions& options) : options_(options), engineFolder_(AbsoluteFolder(options.folder)) {
  if (options.json || options.show)
    lines_.emplace(options.json ? TLineFormat::Json : TLineFormat::Show, Colored(options.color),
                   MatchModeOf(options.mode), PhraseToAnsi(options.phrase), options.caseSensitive);
}

std::string TToolForm::Shown(const std::string& enginePath) const {
  if (enginePath.compare(0, engineFolder_.size(), engineFolder_) != 0) return enginePath;
  // The typed folder, "/" unless it ends with one, then the path below it.
  std::string below = enginePath.substr(engineFolder_.size());
  if (!below.empty() && below.front() == '/') below.erase(0, 1);
  return JoinPath(options_.folder, below);
}

void TToolForm::AddResult(const std::string& shown, const std::string&) {
  ++hits_;
  lastResult_ = IsChecked(TFormControl::cbFile) ? shown : Shown(shown);
  if (!options_.json) PrintPath(lastResult_);
}

void TToolForm::AddMatchingLines(int part, const std::vector<TMatchingLine>& lines) {
  if (lines_) lines_->PrintLines(lastResult_, part, lines);
}

void TToolForm::PrintPath(const std::string& path) const {
  std::fwrite(path.data(), 1, path.size(), stdout);
  std::fputc(options_.nullEnds ? '\0' : '\n', stdout);
}

void TToolForm::AddResultLine(const std::string& line) { std::fprintf(stderr, "tarvik-find: %s\n", line.c_str()); }

void TToolForm::AddError(const std::string& path) {
  ++errors_;
  std::fprintf(stderr, "tarvik-find: cannot search: %s\n", Shown(path).c_str());
  if (lines_) lines_->PrintError(Shown(path));
}

bool TToolForm::IsChecked(TFormControl box) const {
  const TFindOptions& o = options_;
  switch (box) {
    case TFormControl::cbAlleDateien: return o.allKinds;
    case TFormControl::cbWriter: return o.writer;
    case TFormControl::cbCalc: return o.calc;
    case TFormControl::cbImpress: return o.impress;
    case TFormControl::cbDraw: return o.draw;
    case TFormControl::cbFormel: return o.formel;
    case TFormControl::cbUnter: return o.recurse;
    case TFormControl::cbVorlagen: return o.templates;
    case TFormControl::cbOO: return o.newFormats;
    case TFormControl::cbsdw: return o.legacy;
    case TFormControl::cbAlles: return o.allParts;
    case TFormControl::cbConntent: return o.content;
    case TFormControl::cbMeta: return o.meta;
    case TFormControl::cbStyles: return o.styles;
    case TFormControl::cbGrossklein: return o.caseSensitive;
    case TFormControl::cbFile: return o.namesOnly;
    case TFormControl::cbOneFile: return false;
    case TFormControl::RadioButton1: return o.mode == TFindMode::Whole;
    case TFormControl::RadioButton2: return o.mode != TFindMode::Whole;
    case TFormControl::RadioButton3: return o.mode == TFindMode::Every;
    case TFormControl::RadioButton4: return o.mode == TFindMode::Any;
    case TFormControl::rbGerman: return o.german;
    default: return false;  // boxes only the window has, and controls that are no boxes
  }
}

}  // namespace tarvik
