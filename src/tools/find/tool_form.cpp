#include "find/tool_form.h"

#include <unistd.h>

#include "platform/code_page.h"
#include "search/document_collection.h"

namespace tarvik {
namespace {

TMatchMode MatchModeOf(TFindMode mode) {
  switch (mode) {
    case TFindMode::Every: return mmEveryWord;
    case TFindMode::Any: return mmAnyWord;
    default: return mmWholeText;
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
  lastResult_ = IsChecked(TFormBox::cbFile) ? shown : Shown(shown);
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

bool TToolForm::IsChecked(TFormBox box) const {
  const TFindOptions& o = options_;
  switch (box) {
    case TFormBox::cbAlleDateien: return o.allKinds;
    case TFormBox::cbWriter: return o.writer;
    case TFormBox::cbCalc: return o.calc;
    case TFormBox::cbImpress: return o.impress;
    case TFormBox::cbDraw: return o.draw;
    case TFormBox::cbFormel: return o.formel;
    case TFormBox::cbUnter: return o.recurse;
    case TFormBox::cbVorlagen: return o.templates;
    case TFormBox::cbOO: return o.newFormats;
    case TFormBox::cbsdw: return o.legacy;
    case TFormBox::cbAlles: return o.allParts;
    case TFormBox::cbConntent: return o.content;
    case TFormBox::cbMeta: return o.meta;
    case TFormBox::cbStyles: return o.styles;
    case TFormBox::cbGrossklein: return o.caseSensitive;
    case TFormBox::cbFile: return o.namesOnly;
    case TFormBox::cbOneFile: return false;
    case TFormBox::RadioButton1: return o.mode == TFindMode::Whole;
    case TFormBox::RadioButton2: return o.mode != TFindMode::Whole;
    case TFormBox::RadioButton3: return o.mode == TFindMode::Every;
    case TFormBox::RadioButton4: return o.mode == TFindMode::Any;
    case TFormBox::rbGerman: return o.german;
  }
  return false;
}

}  // namespace tarvik
