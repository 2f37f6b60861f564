#pragma once
// The main window: the search options, the folder and phrase boxes with their
// histories, the candidate and result lists and the commands on the results.
// It is the search form (app/search_form.h): a search reads the options from the
// controls and fills the lists as it goes, always on the window's thread; a
// search's jobs read a snapshot of the options and never touch a control.

#include "app/search_form.h"
#include "app/settings.h"

#include "search/hit_ranges.h"

#include <QComboBox>
#include <QMainWindow>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace tarvik::ui {

class TfrmError;
class Tfrminfo;
class TfrmVorschau;
class THelpWindow;

// An editable combo box that tells when its list is about to drop down.
class TComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
  void showPopup() override;

  // The item index at the last change of the text (-1: none).
  int RememberedIndex = -1;

 signals:
  void dropDown();
};

class TfrmTarvik : public QMainWindow, public TSearchForm {
  Q_OBJECT

 public:
  // Creates the window and runs its start-up: the start-up folder is the
  // current directory now; options, language and histories come from there.
  TfrmTarvik();
  ~TfrmTarvik() override;

  // The windows created after this one, which the window's commands show.
  void SetWindows(Tfrminfo* info, TfrmError* error, TfrmVorschau* preview);

  // TSearchForm
  bool IsChecked(TFormControl box) const override;
  std::string FolderText() const override;
  std::string PhraseText() const override;
  bool MatchesReadableText() const override;
  void SearchOptionsTaken(const TSearchOptions& options) override;
  void ClearCandidates() override;
  void AddCandidate(const std::string& path) override;
  void ShowCandidatePlaceholder(bool visible) override;
  std::size_t CandidateCount() const override;
  std::string CandidateAt(std::size_t i) const override;
  bool CandidateSelected(std::size_t i) const override;
  void ClearResults() override;
  void AddResult(const std::string& shown, const std::string& folder) override;
  void AddResultLine(const std::string& line) override;
  std::size_t ResultCount() const override;
  std::string ResultAt(std::size_t i) const override;
  void ClearErrors() override;
  void AddError(const std::string& path) override;
  std::size_t ErrorCount() const override;
  void ShowErrorWindow() override;
  void SetEnabled(TFormControl control, bool on) override;
  void SetVisible(TFormControl control, bool on) override;
  void SetCountText(const std::string& text) override;
  void SetProgressRange(int low, int high) override;
  void SetProgressPosition(int position) override;

  // Commands, as the controls run them.
  void RunSearch();
  bool IsSearching() const { return searching_; }
  void ChooseFolder();
  void UpdateHistory(TComboBox* box);
  void OpenResult(bool byDoubleClick);
  void OpenCandidate();
  void CopyResults();
  void TakeOverResults();
  void NewSearch();
  void SwitchResultDisplay();
  void ShowPreview();
  void ShowHelp();
  void SaveOptions();  // "Einstellungen speichern"

  const std::string& StartupFolder() const { return startupFolder_; }
  // The factor the specified pixel geometry is scaled by.
  double Scale() const { return scale_; }
  const QString& HelpFile() const { return helpFile_; }
  // The second line of tarvik.ini as read at start-up.
  const std::string& OptionSecondLine() const { return optionSecondLine_; }
  THelpWindow* HelpWindow() const { return help_.get(); }

  // Controls, named as the program names them.
  QMenu* Programm1 = nullptr;
  QAction *Hilfe1 = nullptr, *Info1 = nullptr, *N1 = nullptr, *Beenden1 = nullptr;
  QGroupBox* gbDateiAuswahl = nullptr;
  QCheckBox *cbAlleDateien = nullptr, *cbWriter = nullptr, *cbCalc = nullptr, *cbImpress = nullptr, *cbDraw = nullptr,
            *cbFormel = nullptr, *cbUnter = nullptr, *cbVorlagen = nullptr, *cbOO = nullptr, *cbsdw = nullptr;
  QPushButton* BtVerz = nullptr;
  TComboBox* edVerzeichnis = nullptr;
  QPushButton* btverzread = nullptr;
  QListWidget* lbDateienAuswahl = nullptr;
  QListWidget* lbdummy = nullptr;
  QGroupBox* gbSearch = nullptr;
  QCheckBox *cbAlles = nullptr, *cbConntent = nullptr, *cbMeta = nullptr, *cbStyles = nullptr;
  QLabel* Label2 = nullptr;
  TComboBox* edSearch = nullptr;
  QRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QRadioButton *RadioButton3 = nullptr, *RadioButton4 = nullptr;
  QPushButton* BtSuch = nullptr;
  QCheckBox* cbOneFile = nullptr;
  QLabel* edLabel = nullptr;
  QLabel* Label4 = nullptr;
  QListWidget* lbergebnis = nullptr;
  QGroupBox* gbSonstiges = nullptr;
  QCheckBox *cbGrossklein = nullptr, *cbFile = nullptr, *cbFormatierung = nullptr;
  QGroupBox* gbeinstellungen = nullptr;
  QCheckBox *cbEinstellungen = nullptr, *cbreturn = nullptr;
  QRadioButton *rbGerman = nullptr, *rbEnglish = nullptr;
  QPushButton* Button1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QWidget* pnlergebnisbutton = nullptr;
  QPushButton *btleeren = nullptr, *btVorschau = nullptr;
  QPushButton *btcopy = nullptr, *btnewsearch = nullptr, *btopen = nullptr, *btbreak = nullptr, *btende = nullptr;
  QLabel* Label5 = nullptr;
  QListWidget *lbpfad = nullptr, *Liste2 = nullptr, *ListBox1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;

 signals:
  // The window has closed: the program ends.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ConnectHandlers();
  QRect Place(int left, int top, int width, int height) const;
  // Places a control at its specified pixel geometry, scaled, and remembers it.
  void Put(QWidget* control, int left, int top, int width, int height);
  // Grows the scale until every caption of both languages fits its control.
  void FitToTexts();
  void ApplyGeometry();

  // Start-up and closing.
  void FormCreate();
  void ApplyOptions(const std::string& options);
  void LoadHistory(TComboBox* box, const std::vector<std::string>& lines);
  void WriteHistories();
  std::string OptionString() const;

  // Reactions of the check boxes and radio buttons.
  void KindClicked(QCheckBox* box);
  void PartClicked(QCheckBox* box);
  void SubfoldersClicked();
  void ModeClicked();
  void LanguageClicked();
  void RebuildCandidates();
  // A relative folder in the folder box is taken from the start-up folder,
  // once: the box then shows the absolute path, so later actions mean the same folder.
  void ResolveFolderText();

  // A list's hint over long entries.
  void HintFromPointer(QListWidget* list, const QPoint& position);
  // Path of the current result: folder line and result line when names only.
  bool CurrentResultPath(std::string& path) const;
  // The widget of each control, and of a box its button (none for other controls).
  QWidget* Control(TFormControl control) const;
  QAbstractButton* Box(TFormControl box) const;
  static std::vector<std::string> Items(const QComboBox* box);

  double scale_ = 1.0;
  std::vector<std::pair<QWidget*, QRect>> layout_;  // specified, unscaled geometry
  std::string startupFolder_;
  std::string optionSecondLine_;
  QString helpFile_ = QStringLiteral("tarvik.hlp");
  std::unique_ptr<THelpWindow> help_;
  Tfrminfo* info_ = nullptr;
  TfrmError* error_ = nullptr;
  TfrmVorschau* preview_ = nullptr;
  // The hits of the last run's question, marked in the preview of its results.
  std::optional<THitFinder> lastHits_;
  // The search's progress, shown by the bar at most every kProgressInterval.
  int progressPosition_ = 0;
  QTimer* progressTimer_ = nullptr;
  bool searching_ = false;
  bool closeAfterSearch_ = false;
  int reacting_ = 0;  // depth of nested check box reactions: one rebuild per change
  bool rebuildWanted_ = false;
};

}  // namespace tarvik::ui
