#include "find/tool_form.h"

namespace tarvik {

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
