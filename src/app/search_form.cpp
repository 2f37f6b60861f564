#include "app/search_form.h"

namespace tarvik {

TMatchMode ChosenMatchMode(const TSearchForm& form) {
  using C = TFormControl;
  if (form.IsChecked(C::RadioButton1)) return TMatchMode::WholeText;
  if (form.IsChecked(C::RadioButton4)) return TMatchMode::AnyWord;
  if (form.IsChecked(C::RadioButton3)) return TMatchMode::EveryWord;
  return TMatchMode::None;
}

TSearchOptions TSearchForm::Options() const {
  using C = TFormControl;
  TSearchOptions options;
  const bool allKinds = IsChecked(C::cbAlleDateien);
  const C kindBoxes[kDocumentKindCount] = {C::cbWriter, C::cbCalc, C::cbImpress, C::cbDraw, C::cbFormel};
  for (int kind = 0; kind < kDocumentKindCount; ++kind) options.kinds[kind] = allKinds || IsChecked(kindBoxes[kind]);
  options.templates = IsChecked(C::cbVorlagen);
  options.newFormats = IsChecked(C::cbOO);
  options.legacy = IsChecked(C::cbsdw);
  options.subFolders = IsChecked(C::cbUnter);

  const bool allParts = IsChecked(C::cbAlles);
  options.parts = {allParts || IsChecked(C::cbConntent), allParts || IsChecked(C::cbMeta),
                   allParts || IsChecked(C::cbStyles)};
  options.phrase = PhraseText();
  options.mode = ChosenMatchMode(*this);
  options.caseSensitive = IsChecked(C::cbGrossklein);
  options.readableText = MatchesReadableText();

  options.namesOnly = IsChecked(C::cbFile);
  options.matchingLines = WantsMatchingLines();
  return options;
}

}  // namespace tarvik
