#pragma once
// Whether a text matches the search phrase: the whole phrase, every word of
// it, or any word of it, with or without letter case. Texts and phrases are
// Windows-1252 byte strings; a text may hold any byte, 0 and LF included.

#include "search/folded_find.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvik {

// None matches nothing (no mode chosen).
enum class TMatchMode { None, WholeText, EveryWord, AnyWord };

// The words of a phrase, in phrase order, duplicates kept. A word is a run of
// letters: A–Z, a–z and every byte from 128 up. Digits, blanks, punctuation
// and control bytes separate words; a 0 byte ends the phrase.
std::vector<std::string> SplitWords(std::string_view phrase);

// A phrase prepared for matching many texts: built once per document from
// that document's mode, phrase, word list and case flag. Matches gives the
// same result as TextMatches with those arguments.
class TTermMatcher {
 public:
  TTermMatcher(TMatchMode mode, std::string_view phrase, const std::vector<std::string>& words, bool caseSensitive);

  // Not const: the matcher keeps a work buffer between calls.
  bool Matches(std::string_view text);

  TMatchMode Mode() const { return mode_; }
  bool CaseSensitive() const { return caseSensitive_; }
  const std::vector<TFoldedNeedle>& Needles() const { return needles_; }
  // Whether a line matches, given which needles (in Needles() order) occur in it.
  bool Decides(const std::vector<char>& found) const;

 private:
  TMatchMode mode_;
  bool caseSensitive_;
  // Whole phrase: the phrase alone. Word modes: each distinct word once
  // (a word given twice cannot change the outcome).
  std::vector<TFoldedNeedle> needles_;
  std::string scratch_;
};

// Whole phrase: the phrase occurs in text. Every word: each entry of words
// occurs in text (so an empty list matches every text). Any word: at least
// one entry occurs. None: nothing matches. Unless caseSensitive, both sides
// are compared in their Windows-1252 upper-case forms.
bool TextMatches(std::string_view text, TMatchMode mode, std::string_view phrase, const std::vector<std::string>& words,
                 bool caseSensitive);

}  // namespace tarvik
