#pragma once
// The window's controls that the application layer reads, locks and stores,
// named as on the window. The window maps each to its widget once; tarvik-find
// and the tests answer for the boxes from their own options.

namespace tarvik {

// One line per group of controls, with what the group is for.
// clang-format off
enum class TFormControl {
  // Check boxes and radio buttons a search reads.
  cbAlleDateien, cbWriter, cbCalc, cbImpress, cbDraw, cbFormel,  // kinds
  cbUnter,                                                       // sub-folders
  cbVorlagen, cbOO, cbsdw,                                       // templates, 2.0 formats, 5.x binaries
  cbAlles, cbConntent, cbMeta, cbStyles,                         // document parts
  cbGrossklein,                                                  // letter case counts
  cbFile,                                                        // bare file names in the result list
  cbOneFile,                                                     // only the marked candidates
  RadioButton1, RadioButton2, RadioButton3, RadioButton4,        // match mode
  rbGerman,                                                      // language
  cbFormatierung,                                                // readable text instead of raw XML lines
  // Check boxes only the option string keeps.
  cbreturn, cbEinstellungen,
  // Controls a search run locks, hides and shows.
  BtVerz, BtSuch, btende, btverzread,                            // disabled while a search runs
  btcopy, btopen, btnewsearch, btleeren, pnlergebnisbutton,      // result commands
  edLabel, Label4,                                               // hit count and its label
  btbreak, ProgressBar1,                                         // visible while a search runs
};
// clang-format on

}  // namespace tarvik
