#include "app/string_table.h"

#include "app/search_form.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace tarvik {
namespace {

struct TStringEntry {
  int id;
  const char* text;
};

// Sorted by id.
constexpr TStringEntry kStringTable[] = {
    {1000, "Deutsch"},
    {1101, "Alle Dateien"},
    {1102, "Writer-Dokumente"},
    {1103, "Calc-Dokumente"},
    {1104, "Impress-Dokumente"},
    {1105, "Draw-Dokumente"},
    {1106, "Formel-Dokumente"},
    {1107, "Unterverzeichnisse einschliessen"},
    {1108, "Vorlagen durchsuchen"},
    {1109, "2.0 / 8.0 Dateien durchsuchen"},
    {1110, "Staroffice 5.x Dateien durchsuchen"},
    {1111, "Alles"},
    {1112, "Content"},
    {1113, "Meta"},
    {1114, "Styles"},
    {1115, "Groß-/Kleinschreibung beachten"},
    {1116, "Nur Dateien anzeigen, keinen Pfad"},
    {1117, "Einstellungen beim Ende speichern"},
    {1118, "Return/Enter direkt nach Suchtext"},
    {1119, "Ganzer Text"},
    {1120, "Einzelne Wörter"},
    {1121, "Jedes Wort"},
    {1122, "Jeder Treffer"},
    {1123, "Nur in den ausgewählten Dateien suchen"},
    {1124, "gefundene Dateien"},
    {1125, "Suchen nach"},
    {1126, "Dateiauswahl"},
    {1127, "Durchsuchen von:"},
    {1128, "Sonstiges"},
    {1129, "Einstellungen"},
    {1130, "Verzeichnis wählen"},
    {1131, "---> Verz. einlesen"},
    {1132, "Einstellungen speichern"},
    {1133, "Erg. in die Zwischenablage"},
    {1134, "Ergebnis übernehmen"},
    {1135, "Neue Suche"},
    {1136, "Textvorschau (writer/calc)"},
    {1137, "Markierte Datei öffnen"},
    {1138, "Suche abbrechen"},
    {1139, "Beenden"},
    {1140, "Suchen"},
    {1141, "Englisch"},
    {1142, "Deutsch"},
    {1143, "Formatierung übergehen"},
    {1144,
     "Sucht im Text, wie ein Leser ihn sieht: ein Absatz je Zeile, ohne die Formatierung dazwischen. "
     "So wird auch ein Satz gefunden, der teils fett oder kursiv ist."},
    {1501, "Das Verzeichnis ist ungültig."},
    {1502, "Es wurde kein Suchbegriff eingeben."},
    {1503, "Das Suchergebnis wurde in die Zwischenablage kopiert!"},
    {1504, "In dem gewählten Verzeichnis wurden keine Office-Dateien gefunden."},
    {1505, "Die Einstellungen wurden gespeichert!"},
    {1506, "Vorschau nur für Writer- und Calc-Dokumente ab 6.0/1.0 möglich."},
    {1507, "Keine Datei mit den gesuchten Begriffen gefunden"},
    {2101, "All files"},
    {2102, "Writer-Documents"},
    {2103, "Calc-Documents"},
    {2104, "Impress-Documents"},
    {2105, "Draw-Documents"},
    {2106, "Formel-Documents"},
    {2107, "Inculde subdirectorys"},
    {2108, "Search in templates"},
    {2109, "Search in OpenOffice 2.0.x files"},
    {2110, "Search in StarOffice 5.x files"},
    {2111, "All"},
    {2112, "Content"},
    {2113, "Meta"},
    {2114, "Styles"},
    {2115, "Search casesensetive"},
    {2116, "Show only files, no directorys"},
    {2117, "Save options when close"},
    {2118, "Return direct after searchphrase"},
    {2119, "Whole text"},
    {2120, "Seperately words"},
    {2121, "Every word"},
    {2122, "Every hit"},
    {2123, "Search only in marked files"},
    {2124, "founded files"},
    {2125, "Search for"},
    {2126, "File"},
    {2127, "Search:"},
    {2128, "Other"},
    {2129, "Options"},
    {2130, "Select directory"},
    {2131, "--> read Dir."},
    {2132, "Save options"},
    {2133, "Copy result in clipboard"},
    {2134, "Use result "},
    {2135, "New search"},
    {2136, "Textpreview (writer/calc)"},
    {2137, "Open marked file"},
    {2138, "Escape search"},
    {2139, "Exit"},
    {2140, "Search"},
    {2141, "English"},
    {2142, "German"},
    {2143, "Ignore formatting"},
    {2144,
     "Searches the text as a reader sees it: one paragraph per line, without the formatting in between, "
     "so a phrase that is partly bold or italic is found too."},
    {2501, "This folder not exists"},
    {2502, "You have not insert a searchphrase"},
    {2503, "The result is copied in the clipboard"},
    {2504, "In this folder could not found any Office-files."},
    {2505, "Options are saved!"},
    {2506, "Preview only for Writer- and Calc-Documenst since 6.0/1.0."},
    {2507, "No files found with searched words."},
};

static_assert(std::is_sorted(std::begin(kStringTable), std::end(kStringTable),
                             [](const TStringEntry& a, const TStringEntry& b) { return a.id < b.id; }),
              "the string table must stay sorted by id");

}  // namespace

std::string LoadEntry(int base, int number) {
  const int id = base + number;
  const auto* end = std::end(kStringTable);
  const auto* it =
      std::lower_bound(std::begin(kStringTable), end, id, [](const TStringEntry& e, int key) { return e.id < key; });
  if (it == end || it->id != id) return {};
  return it->text;
}

std::string MessageText(const TSearchForm& form, int number) {
  const int base = form.IsChecked(TFormControl::rbGerman) ? kGermanBase : kEnglishBase;
  return LoadEntry(base, number);
}

}  // namespace tarvik
