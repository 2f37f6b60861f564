#include "ui/tarvikmain.h"

#include "ui/error.h"
#include "ui/event_waiter.h"
#include "ui/info.h"
#include "ui/sprache.h"
#include "ui/vorschau.h"

#include "app/candidate_list.h"
#include "app/read_folder.h"
#include "app/search_run.h"
#include "app/string_table.h"

#include "search/document_collection.h"
#include "search/document_search.h"
#include "search/prefilter_cache.h"

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/shell.h"
#include "platform/text_file.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

#include <thread>

namespace tarvik::ui {

namespace {

// The three texts that stay German in both languages.
const char* const kFolderDialogTitle = "Wählen Sie ein Verzeichnis";
const char* const kRereadQuestion = "Soll das gewählte Verzeichnis neu eingelesen werden?";
const char* const kNotAssociated = "StarOffice / OpenOffice ist nicht verknüpft mit der Anwendung!";
const char* const kApplicationTitle = "Tarvik";

// Longer entries set a list's hint when the pointer moves over them.
constexpr int kHintLength = 50;
// The longest the progress bar lags behind the search, in milliseconds.
constexpr int kProgressInterval = 40;

std::string Utf8(const QString& text) { return text.toStdString(); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

// The file name part of a result line: what follows its last "/".
QString FileNamePart(const QString& line) { return line.mid(line.lastIndexOf('/') + 1); }

template <class W>
W* Named(W* widget, const char* name, int tag = 0) {
  widget->setObjectName(name);
  if (tag != 0) SetTag(widget, tag);
  return widget;
}

}  // namespace

void TComboBox::showPopup() {
  emit dropDown();
  QComboBox::showPopup();
}

TfrmTarvik::TfrmTarvik() {
  setObjectName("frmTarvik");
  RegisterWindow(this);
  setWindowTitle(QStringLiteral("Tarvik 2.3 -------> StarOffice / OpenOffice.org - SuchTool "));
  setFont(WindowFont());
  scale_ = WindowScale(font());
  BuildControls();
  FitToTexts();
  ConnectHandlers();
  FormCreate();
}

TfrmTarvik::~TfrmTarvik() { UnregisterWindow(this); }

void TfrmTarvik::SetWindows(Tfrminfo* info, TfrmError* error, TfrmVorschau* preview) {
  info_ = info;
  error_ = error;
  preview_ = preview;
}

QRect TfrmTarvik::Place(int left, int top, int width, int height) const {
  return QRect(Scaled(left, scale_), Scaled(top, scale_), Scaled(width, scale_), Scaled(height, scale_));
}

void TfrmTarvik::BuildControls() {
  // The menu "Programm": its entries keep their captions in both languages.
  Programm1 = Named(menuBar()->addMenu(QStringLiteral("Programm")), "Programm1");
  Hilfe1 = Named(Programm1->addAction(QStringLiteral("Hilfe")), "Hilfe1");
  Info1 = Named(Programm1->addAction(QStringLiteral("Info")), "Info1");
  N1 = Named(Programm1->addAction(QStringLiteral(" ")), "N1");
  Beenden1 = Named(Programm1->addAction(QStringLiteral("Beenden")), "Beenden1");

  auto* client = new QWidget(this);
  client->setObjectName("client");
  setCentralWidget(client);

  auto check = [&](QWidget* parent, const char* name, int tag, const char* caption, int left, int top, int width,
                   bool ticked, int height = 17) {
    auto* box = Named(new QCheckBox(QString::fromUtf8(caption), parent), name, tag);
    Put(box, left, top, width, height);
    box->setChecked(ticked);
    return box;
  };
  auto radio = [&](QWidget* parent, const char* name, int tag, const char* caption, int left, int top, int width) {
    auto* button = Named(new QRadioButton(QString::fromUtf8(caption), parent), name, tag);
    Put(button, left, top, width, 17);
    return button;
  };
  auto button = [&](QWidget* parent, const char* name, int tag, const char* caption, int left, int top, int width,
                    int height) {
    auto* b = Named(new QPushButton(QString::fromUtf8(caption), parent), name, tag);
    Put(b, left, top, width, height);
    b->setAutoDefault(false);
    return b;
  };
  auto group = [&](const char* name, int tag, const char* caption, int left, int top, int width, int height) {
    auto* g = Named(new QGroupBox(QString::fromUtf8(caption), client), name, tag);
    Put(g, left, top, width, height);
    return g;
  };
  auto label = [&](const char* name, int tag, const char* caption, int left, int top, int width, int height) {
    auto* l = Named(new QLabel(QString::fromUtf8(caption), client), name, tag);
    Put(l, left, top, width, height);
    return l;
  };
  auto list = [&](const char* name, int left, int top, int width, int height) {
    auto* l = Named(new QListWidget(client), name);
    Put(l, left, top, width, height);
    // One line of text each: measuring every entry (thousands of paths) would
    // cost more than searching them. An entry wider than the list is cut, and
    // its hint shows it whole.
    l->setUniformItemSizes(true);
    return l;
  };

  gbDateiAuswahl = group("gbDateiAuswahl", 126, "Dateiauswahl", 8, 8, 217, 177);
  cbAlleDateien = check(gbDateiAuswahl, "cbAlleDateien", 101, "Alle Dateien", 16, 16, 193, true);
  cbWriter = check(gbDateiAuswahl, "cbWriter", 102, "Writer - Dokumente", 48, 32, 161, true);
  cbCalc = check(gbDateiAuswahl, "cbCalc", 103, "Calc - Dokumente", 48, 48, 161, true);
  cbImpress = check(gbDateiAuswahl, "cbImpress", 104, "Impress - Dokumente", 48, 64, 161, true);
  cbDraw = check(gbDateiAuswahl, "cbDraw", 105, "Draw - Dokumente", 48, 80, 161, true);
  cbFormel = check(gbDateiAuswahl, "cbFormel", 106, "Formel - Dokumente", 48, 96, 161, true);
  cbUnter = check(gbDateiAuswahl, "cbUnter", 107, "Unterverzeichnisse einschliessen", 16, 120, 193, true);
  cbVorlagen = check(gbDateiAuswahl, "cbVorlagen", 108, "Vorlagen durchsuchen", 16, 136, 193, false);
  cbOO = check(gbDateiAuswahl, "cbOO", 109, "2.0 / 8.0 Dateien durchsuchen", 16, 152, 193, true);
  cbsdw = check(gbDateiAuswahl, "cbsdw", 110, "Staroffice 5.x Dateien durchsuchen", 16, 168, 193, false);
  cbsdw->hide();

  BtVerz = button(client, "BtVerz", 130, "Verzeichnis wählen", 232, 12, 113, 25);
  BtVerz->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  edVerzeichnis = Named(new TComboBox(client), "edVerzeichnis");
  Put(edVerzeichnis, 352, 16, 217, 21);
  btverzread = button(client, "btverzread", 131, "---> Verz. einlesen", 576, 12, 105, 25);

  lbDateienAuswahl = list("lbDateienAuswahl", 232, 40, 449, 145);
  lbDateienAuswahl->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lbDateienAuswahl->setAccessibleName(QStringLiteral("Dateien"));
  lbdummy = list("lbdummy", 232, 40, 449, 145);  // over the candidate list until it is read
  lbdummy->setAccessibleName(QStringLiteral("Dateien"));

  gbSearch = group("gbSearch", 127, "Durchsuchen von:", 8, 192, 217, 65);
  cbAlles = check(gbSearch, "cbAlles", 111, "Alles", 16, 16, 193, false);
  cbConntent = check(gbSearch, "cbConntent", 112, "Content", 16, 40, 70, true);
  cbConntent->setToolTip(QStringLiteral("Enthält den eigentlichen Text des Dokumentes."));
  cbMeta = check(gbSearch, "cbMeta", 113, "Meta", 88, 40, 62, false);
  cbMeta->setToolTip(QStringLiteral("Enthält allgemeine Dokumentendaten ( Autor, letzte Speicherung etc.)"));
  cbStyles = check(gbSearch, "cbStyles", 114, "Styles", 152, 40, 62, false);
  cbStyles->setToolTip(QStringLiteral("Enthält die Daten für die Formatierung."));

  Label2 = label("Label2", 125, "Suchen nach:", 232, 200, 97, 17);
  edSearch = Named(new TComboBox(client), "edSearch");
  Put(edSearch, 336, 192, 345, 21);
  Label2->setBuddy(edSearch);

  RadioButton1 = radio(client, "RadioButton1", 119, "Ganzer Text", 232, 224, 105);
  RadioButton2 = radio(client, "RadioButton2", 120, "Einzelne Wörter", 344, 224, 113);
  RadioButton1->setChecked(true);  // a match mode even when tarvik.ini cannot be read
  // Qt's automatic exclusivity counts every radio button under the same
  // parent, nested groups included: with "Deutsch" selected, a click on the
  // selected "Ganzer Text" would clear it and leave no match mode.
  auto* modes = new QButtonGroup(this);
  modes->addButton(RadioButton1);
  modes->addButton(RadioButton2);
  GroupBox3 = group("GroupBox3", 0, "", 464, 216, 217, 27);
  RadioButton3 = radio(GroupBox3, "RadioButton3", 121, "Jedes Wort", 8, 8, 86);
  RadioButton3->setToolTip(QStringLiteral("Jedes Wort muß in der gefunden Datei vorhanden sein."));
  RadioButton4 = radio(GroupBox3, "RadioButton4", 122, "Jeder Treffer", 96, 8, 110);
  RadioButton4->setToolTip(
      QStringLiteral("Jede Datei, die eines oder mehrere der gesuchten Wörter enthält, wird angezeigt."));
  GroupBox3->hide();

  BtSuch = button(client, "BtSuch", 140, "Suchen", 232, 248, 73, 25);
  cbOneFile = check(client, "cbOneFile", 123, "Nur in den ausgewählten Dateien suchen", 312, 256, 236, false);
  edLabel = label("edLabel", 0, "0", 552, 248, 30, 24);
  edLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edLabel->hide();
  Label4 = label("Label4", 124, "gefundene Dateien", 584, 256, 97, 17);
  Label4->hide();

  lbergebnis = list("lbergebnis", 232, 280, 449, 185);
  lbergebnis->setAccessibleName(QStringLiteral("Ergebnis"));

  // The group grows by the 7 pixels up to "Einstellungen", which make room
  // for a third, slightly lower box under the two: every other control keeps its place.
  gbSonstiges = group("gbSonstiges", 128, "Sonstiges", 8, 264, 217, 80);
  cbGrossklein = check(gbSonstiges, "cbGrossklein", 115, "Groß-/Kleinschreibung beachten", 16, 24, 193, false);
  cbFile = check(gbSonstiges, "cbFile", 116, "Nur Dateien anzeigen, keinen Pfad", 16, 48, 193, false);
  cbFormatierung = check(gbSonstiges, "cbFormatierung", 143, "Formatierung übergehen", 16, 65, 193, false, 15);
  cbFormatierung->setProperty(kHintTagProperty, 144);
  cbFormatierung->setToolTip(Entry(kGermanBase, 144));

  gbeinstellungen = group("gbeinstellungen", 129, "Einstellungen", 8, 344, 217, 89);
  cbEinstellungen =
      check(gbeinstellungen, "cbEinstellungen", 117, "Einstellungen beim Ende speichern", 16, 16, 193, false);
  cbreturn = check(gbeinstellungen, "cbreturn", 118, "Return/Enter direkt nach Suchtext", 16, 40, 193, false);
  rbGerman = radio(gbeinstellungen, "rbGerman", 142, "Deutsch", 56, 64, 76);
  rbEnglish = radio(gbeinstellungen, "rbEnglish", 141, "Englisch", 136, 64, 76);
  rbGerman->setChecked(true);

  Button1 = button(client, "Button1", 132, "Einstellungen speichern", 8, 440, 129, 25);

  ProgressBar1 = Named(new QProgressBar(client), "ProgressBar1");
  Put(ProgressBar1, 16, 484, 657, 16);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  // A bar moved for every document would be painted for every document.
  progressTimer_ = new QTimer(this);
  progressTimer_->setSingleShot(true);
  progressTimer_->setInterval(kProgressInterval);
  connect(progressTimer_, &QTimer::timeout, this, [this] { ProgressBar1->setValue(progressPosition_); });

  pnlergebnisbutton = Named(new QWidget(client), "pnlergebnisbutton");
  Put(pnlergebnisbutton, 8, 472, 673, 41);
  pnlergebnisbutton->setAutoFillBackground(true);
  pnlergebnisbutton->hide();
  btleeren = button(pnlergebnisbutton, "btleeren", 135, "Neue Suche", 8, 8, 81, 25);
  btVorschau = button(pnlergebnisbutton, "btVorschau", 136, "Textvorschau (writer/calc)", 400, 8, 145, 25);

  btcopy = button(client, "btcopy", 133, "Erg. in die Zwischenablage", 104, 480, 153, 25);
  btcopy->setToolTip(QStringLiteral("Kopiert das Ergbnis als Liste in die Zwischenablage."));
  btcopy->setProperty(kShowHintProperty, true);
  btcopy->hide();
  btnewsearch = button(client, "btnewsearch", 0, "Ergebnis übernehmen", 264, 480, 137, 25);
  btnewsearch->hide();
  btopen = button(client, "btopen", 137, "Markierte Datei öffnen", 560, 480, 113, 25);
  btopen->hide();
  btbreak = button(client, "btbreak", 138, "Suche abbrechen", 488, 520, 105, 25);
  btbreak->hide();
  btende = button(client, "btende", 139, "Beenden", 608, 520, 75, 25);

  Label5 = label("Label5", 0, "Version 2.3 - 02.03.06", 16, 528, 200, 17);

  // Hidden working lists.
  lbpfad = Named(new QListWidget(client), "lbpfad");
  Liste2 = Named(new QListWidget(client), "Liste2");
  ListBox1 = Named(new QListWidget(client), "ListBox1");
  Memo1 = Named(new QPlainTextEdit(client), "Memo1");
  for (QWidget* hidden : std::initializer_list<QWidget*>{lbpfad, Liste2, ListBox1, Memo1}) hidden->hide();

  for (TComboBox* box : {edVerzeichnis, edSearch}) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);  // the history rules decide what is kept
    box->setCompleter(nullptr);                 // no case-blind completion: "/A" and "/a" are two entries
    box->setMaxVisibleItems(16);
  }
  edVerzeichnis->setAccessibleName(QStringLiteral("Verzeichnis"));
  edSearch->setAccessibleName(QStringLiteral("Suchen nach"));
  edLabel->setAccessibleName(QStringLiteral("Anzahl gefundener Dateien"));
}

void TfrmTarvik::Put(QWidget* control, int left, int top, int width, int height) {
  layout_.push_back({control, QRect(left, top, width, height)});
  control->setGeometry(Place(left, top, width, height));
}

void TfrmTarvik::FitToTexts() {
  // Every caption of both languages must fit its control at the scale used.
  double needed = scale_;
  for (int base : {kEnglishBase, kGermanBase}) {
    SwitchLanguage(base);
    for (const auto& [control, place] : layout_) {
      int wanted = 0;
      if (auto* push = qobject_cast<QPushButton*>(control)) {
        wanted = push->fontMetrics().horizontalAdvance(push->text()) + 12;
        if (!push->icon().isNull()) wanted += push->iconSize().width() + 4;
      } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control) ||
                 (qobject_cast<QLabel*>(control) && control != edLabel)) {
        wanted = control->sizeHint().width();
      }
      const double have = place.width() * scale_;
      if (wanted > have) needed = std::max(needed, scale_ * wanted / have);
    }
  }
  scale_ = std::min(needed, 3.0);
  ApplyGeometry();
}

void TfrmTarvik::ApplyGeometry() {
  for (const auto& [control, place] : layout_)
    control->setGeometry(Place(place.left(), place.top(), place.width(), place.height()));
  QFont count = font();
  count.setPixelSize(Scaled(19, scale_));
  edLabel->setFont(count);
  // The specified client area (the window's 704 × 596 less its frame and caption), centred.
  const QSize client = Place(0, 0, 692, 552).size();
  centralWidget()->setMinimumSize(client);
  resize(client.width(), client.height() + menuBar()->sizeHint().height());
  if (const QScreen* screen = QApplication::primaryScreen()) {
    QRect area = frameGeometry();
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
  }
}

void TfrmTarvik::ConnectHandlers() {
  connect(BtSuch, &QPushButton::clicked, this, &TfrmTarvik::RunSearch);
  edSearch->lineEdit()->installEventFilter(this);
  connect(btbreak, &QPushButton::clicked, this, [] { SearchStopped = true; });
  connect(btverzread, &QPushButton::clicked, this, [this] {
    ResolveFolderText();
    ReadFolderCommand(*this);
  });
  connect(BtVerz, &QPushButton::clicked, this, &TfrmTarvik::ChooseFolder);

  for (QCheckBox* kind : {cbAlleDateien, cbWriter, cbCalc, cbImpress, cbDraw, cbFormel})
    connect(kind, &QCheckBox::toggled, this, [this, kind] { KindClicked(kind); });
  connect(cbUnter, &QCheckBox::toggled, this, &TfrmTarvik::SubfoldersClicked);
  for (QCheckBox* part : {cbAlles, cbConntent, cbMeta, cbStyles})
    connect(part, &QCheckBox::toggled, this, [this, part] { PartClicked(part); });
  for (QRadioButton* mode : {RadioButton1, RadioButton2})
    connect(mode, &QRadioButton::toggled, this, [this](bool on) {
      if (on) ModeClicked();
    });
  for (QRadioButton* language : {rbGerman, rbEnglish})
    connect(language, &QRadioButton::toggled, this, [this](bool on) {
      if (on) LanguageClicked();
    });

  for (TComboBox* box : {edVerzeichnis, edSearch}) {
    connect(box, &QComboBox::editTextChanged, this, [box] { box->RememberedIndex = box->currentIndex(); });
    connect(box, &TComboBox::dropDown, this, [this, box] { UpdateHistory(box); });
  }

  connect(btopen, &QPushButton::clicked, this, [this] { OpenResult(false); });
  connect(lbergebnis, &QListWidget::itemDoubleClicked, this, [this] { OpenResult(true); });
  connect(lbDateienAuswahl, &QListWidget::itemDoubleClicked, this, &TfrmTarvik::OpenCandidate);
  connect(btcopy, &QPushButton::clicked, this, &TfrmTarvik::CopyResults);
  connect(btnewsearch, &QPushButton::clicked, this, &TfrmTarvik::TakeOverResults);
  connect(btleeren, &QPushButton::clicked, this, &TfrmTarvik::NewSearch);
  connect(cbFile, &QCheckBox::toggled, this, &TfrmTarvik::SwitchResultDisplay);
  connect(btVorschau, &QPushButton::clicked, this, &TfrmTarvik::ShowPreview);

  for (QListWidget* list : {lbDateienAuswahl, lbergebnis}) {
    connect(list, &QListWidget::itemClicked, this, [list](QListWidgetItem* item) { list->setToolTip(item->text()); });
    // Moving the selection with the keyboard sets the hint as a click does.
    connect(list, &QListWidget::currentItemChanged, this, [list](QListWidgetItem* item) {
      if (item && list->hasFocus()) list->setToolTip(item->text());
    });
    list->setMouseTracking(true);
    list->viewport()->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
  }

  connect(btende, &QPushButton::clicked, this, &QWidget::close);
  connect(Beenden1, &QAction::triggered, this, &QWidget::close);
  connect(Hilfe1, &QAction::triggered, this, &TfrmTarvik::ShowHelp);
  connect(Info1, &QAction::triggered, this, [this] {
    if (!info_) return;
    info_->show();
    info_->raise();
  });
  connect(Button1, &QPushButton::clicked, this, &TfrmTarvik::SaveOptions);
}

// ---- Start-up and closing ----

void TfrmTarvik::FormCreate() {
  startupFolder_ = GetCurrentDir();
  try {
    ApplyOptions(ReadOptionString(startupFolder_));
    RadioButton1->setChecked(true);
    for (TComboBox* box : {edVerzeichnis, edSearch}) {
      box->clear();
      box->RememberedIndex = -1;
    }
    ListBox1->clear();
    Liste2->clear();

    const std::string phrases = SettingsPath(startupFolder_, kPhraseHistoryFile);
    const std::string folders = SettingsPath(startupFolder_, kFolderHistoryFile);
    CompactHistoryFile(phrases);
    CompactHistoryFile(folders);
    LoadHistory(edSearch, FileExists(phrases) ? ReadTextLines(phrases) : std::vector<std::string>{});
    LoadHistory(edVerzeichnis, FileExists(folders) ? ReadTextLines(folders) : std::vector<std::string>{});
    optionSecondLine_ = ReadOptionSecondLine(startupFolder_);
  } catch (const EInOutError& failure) {
    // The rest of the start-up is skipped; the window still opens.
    Host().ShowError(failure.what());
  }
}

void TfrmTarvik::ApplyOptions(const std::string& options) {
  // Each change runs the box's reaction, as a click would.
  for (const TOptionStep& step : OptionApplyOrder()) Box(step.control)->setChecked(OptionBit(options, step.position));
  if (OptionBit(options, kLanguagePosition)) {
    helpFile_ = QStringLiteral("tarvik.hlp");
    SwitchLanguage(kGermanBase);
    rbGerman->setChecked(true);
  } else {
    helpFile_ = QStringLiteral("tarvike.hlp");
    rbEnglish->setChecked(true);
    SwitchLanguage(kEnglishBase);
  }
}

std::string TfrmTarvik::OptionString() const {
  return BuildOptionString([this](TFormControl control) { return Box(control)->isChecked(); }, rbGerman->isChecked());
}

void TfrmTarvik::LoadHistory(TComboBox* box, const std::vector<std::string>& lines) {
  const QSignalBlocker quiet(box);
  for (const std::string& line : lines) box->addItem(Q(line));
  box->setCurrentIndex(-1);
  box->setEditText(QString());
  box->RememberedIndex = -1;
}

std::vector<std::string> TfrmTarvik::Items(const QComboBox* box) {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(box->count()));
  for (int i = 0; i < box->count(); ++i) items.push_back(Utf8(box->itemText(i)));
  return items;
}

void TfrmTarvik::WriteHistories() {
  WriteTextLines(SettingsPath(startupFolder_, kFolderHistoryFile),
                 HistoryToWrite(Utf8(edVerzeichnis->currentText()), Items(edVerzeichnis), kFolderHistoryCap));
  WriteTextLines(SettingsPath(startupFolder_, kPhraseHistoryFile),
                 HistoryToWrite(Utf8(edSearch->currentText()), Items(edSearch), kPhraseHistoryCap));
}

void TfrmTarvik::SaveOptions() {
  try {
    WriteOptionString(startupFolder_, OptionString());
  } catch (const EInOutError& failure) {
    Host().ShowError(failure.what());
    return;
  }
  Host().ShowMessage(MessageText(*this, kMsgOptionsSaved));
}

void TfrmTarvik::closeEvent(QCloseEvent* event) {
  if (searching_) {
    // Stop after the current document; the window closes when the run has ended.
    SearchStopped = true;
    closeAfterSearch_ = true;
    event->ignore();
    return;
  }
  try {
    WriteHistories();
    if (cbEinstellungen->isChecked()) WriteOptionString(startupFolder_, OptionString());
  } catch (const EInOutError& failure) {
    // Shown once; the window closes all the same: a folder that cannot be
    // written must not keep the program open.
    Host().ShowError(failure.what());
  }
  event->accept();
  emit closed();
}

// ---- Reactions ----

void TfrmTarvik::KindClicked(QCheckBox* box) {
  ++reacting_;
  if (box == cbAlleDateien) {
    if (cbAlleDateien->isChecked())
      for (QCheckBox* kind : {cbWriter, cbCalc, cbImpress, cbDraw, cbFormel}) kind->setChecked(true);
  } else if (box->isChecked() != cbAlleDateien->isChecked()) {
    cbAlleDateien->setChecked(false);
  }
  rebuildWanted_ = true;
  --reacting_;
  // The reactions this change set off have run: one rebuild covers them all.
  if (reacting_ == 0 && rebuildWanted_) {
    rebuildWanted_ = false;
    RebuildCandidates();
  }
}

void TfrmTarvik::RebuildCandidates() {
  ResolveFolderText();
  const std::string folder = FolderText();
  if (!folder.empty()) CollectDocuments(*this, folder);
}

void TfrmTarvik::ResolveFolderText() {
  const std::string text = FolderText();
  const std::string absolute = AbsoluteFolder(text, startupFolder_);
  if (absolute != text) edVerzeichnis->setEditText(Q(absolute));
}

void TfrmTarvik::PartClicked(QCheckBox* box) {
  if (box == cbAlles) {
    if (cbAlles->isChecked())
      for (QCheckBox* part : {cbConntent, cbMeta, cbStyles}) part->setChecked(true);
  } else if (box->isChecked() != cbAlles->isChecked()) {
    cbAlles->setChecked(false);
  }
}

void TfrmTarvik::SubfoldersClicked() {
  if (FolderText().empty()) return;
  if (Host().AskYesNo(kRereadQuestion, kApplicationTitle)) RebuildCandidates();
}

void TfrmTarvik::ModeClicked() {
  if (RadioButton1->isChecked()) {
    GroupBox3->hide();
  } else {
    GroupBox3->show();
    RadioButton3->setChecked(true);  // every choice of single words starts with "every word"
  }
}

void TfrmTarvik::LanguageClicked() {
  const bool german = rbGerman->isChecked();
  SwitchLanguage(german ? kGermanBase : kEnglishBase);
  helpFile_ = german ? QStringLiteral("tarvik.hlp") : QStringLiteral("tarvike.hlp");
}

// ---- Commands ----

void TfrmTarvik::RunSearch() {
  // Enter in the search box is not locked like the start button: no run starts inside another.
  if (searching_) return;
  searching_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{searching_};
  ResolveFolderText();
  // Documents are unpacked in memory by jobs on every processor; this thread
  // only lets the window's events run and takes the finished documents. The
  // prefilter cache is tarvik-find's; without one every document is read.
  TEventWaiter waiter;
  const int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const auto cache = tarvik::TPrefilterCache::ForUser();
  tarvik::RunSearch(*this, {.jobs = jobs, .waiter = &waiter, .cache = cache.get()});
  searching_ = false;
  if (closeAfterSearch_) {
    closeAfterSearch_ = false;
    close();
  }
}

void TfrmTarvik::ChooseFolder() {
  if (const auto chosen = Host().BrowseForFolder(kFolderDialogTitle, std::string())) {
    edVerzeichnis->setEditText(Q(*chosen));
    ResolveFolderText();
    ReadFolderCommand(*this);
  }
  UpdateHistory(edVerzeichnis);
}

void TfrmTarvik::UpdateHistory(TComboBox* box) {
  const QString text = box->currentText();
  std::vector<std::string> entries = Items(box);
  if (!tarvik::UpdateHistory(entries, Utf8(text), box->RememberedIndex)) return;
  const QSignalBlocker quiet(box);
  box->clear();
  for (const std::string& entry : entries) box->addItem(Q(entry));
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

bool TfrmTarvik::CurrentResultPath(std::string& path) const {
  const int row = lbergebnis->currentRow();
  if (row < 0 || row >= lbergebnis->count()) return false;
  const QString line = lbergebnis->item(row)->text();
  // The nothing-found line has no folder line: it stays as it is.
  if (cbFile->isChecked() && row < lbpfad->count()) path = Utf8(lbpfad->item(row)->text() + line);
  else path = Utf8(line);
  return true;
}

void TfrmTarvik::OpenResult(bool byDoubleClick) {
  std::string path;
  if (!CurrentResultPath(path)) return;
  // A double click ignores the nothing-found line.
  if (byDoubleClick && Utf8(lbergebnis->currentItem()->text()) == MessageText(*this, kMsgNothingFound)) return;
  if (!Shell().HasAssociatedApplication(path)) {
    Host().ShowError(kNotAssociated);
    return;
  }
  Shell().OpenDocument(path);
}

void TfrmTarvik::OpenCandidate() {
  const int row = lbDateienAuswahl->currentRow();
  if (row < 0) return;
  const std::string path = Utf8(lbDateienAuswahl->item(row)->text());
  if (!Shell().HasAssociatedApplication(path)) {
    Host().ShowError(kNotAssociated);
    return;
  }
  Shell().OpenDocument(path);
}

void TfrmTarvik::CopyResults() {
  Memo1->clear();
  QString text;
  for (int i = 0; i < lbergebnis->count(); ++i) {
    Memo1->appendPlainText(lbergebnis->item(i)->text());
    text += lbergebnis->item(i)->text() + QStringLiteral("\r\n");
  }
  Memo1->selectAll();
  QApplication::clipboard()->setText(text);
  Host().ShowMessage(MessageText(*this, kMsgCopied));
}

void TfrmTarvik::TakeOverResults() {
  std::vector<std::string> paths;
  for (int i = 0; i < lbergebnis->count(); ++i) {
    // A line without a folder line (the nothing-found line) names no document.
    if (i >= lbpfad->count()) continue;
    const QString line = lbergebnis->item(i)->text();
    paths.push_back(Utf8(cbFile->isChecked() ? lbpfad->item(i)->text() + line : line));
  }
  ClearCandidates();
  for (const std::string& path : paths) AddCandidate(path);
  lbergebnis->clear();
  lbpfad->clear();
  // The new candidates are what the next search works on: show them, so they can be marked.
  lbdummy->hide();
}

void TfrmTarvik::NewSearch() {
  lbdummy->show();
  lbergebnis->clear();
  lbpfad->clear();
  ClearCandidates();
  for (QWidget* control :
       std::initializer_list<QWidget*>{btopen, btcopy, btnewsearch, btleeren, pnlergebnisbutton, edLabel, Label4})
    control->hide();
}

void TfrmTarvik::SwitchResultDisplay() {
  const bool namesOnly = cbFile->isChecked();
  for (int i = 0; i < lbergebnis->count() && i < lbpfad->count(); ++i) {
    QListWidgetItem* item = lbergebnis->item(i);
    const QString name = FileNamePart(item->text());
    item->setText(namesOnly ? name : lbpfad->item(i)->text() + name);
  }
}

void TfrmTarvik::ShowPreview() {
  std::string path;
  if (!CurrentResultPath(path)) return;
  QString extension = Q(ExtensionOf(path)).toLower();
  if (extension == ".sxw" || extension == ".sxc" || extension == ".odt" || extension == ".ods") {
    if (!preview_) return;
    preview_->Edit2->setText(Q(startupFolder_));
    preview_->Edit1->setText(Q(path));
    preview_->SetSearchHits(lastHits_);
    preview_->ShowPreview();
  } else {
    Host().ShowMessage(MessageText(*this, kMsgPreviewOnlyWriterCalc));
  }
}

void TfrmTarvik::ShowHelp() {
  if (!help_) help_ = std::make_unique<THelpWindow>();
  if (help_->ShowContents(helpFile_)) help_->JumpId(QStringLiteral("Inhalt"));
}

void TfrmTarvik::HintFromPointer(QListWidget* list, const QPoint& position) {
  const QListWidgetItem* item = list->itemAt(position);
  if (item && item->text().size() > kHintLength) list->setToolTip(item->text());
}

bool TfrmTarvik::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == edSearch->lineEdit()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && cbreturn->isChecked()) {
      RunSearch();
      return true;
    }
  }
  if (event->type() == QEvent::MouseMove) {
    for (QListWidget* list : {lbDateienAuswahl, lbergebnis})
      if (watched == list->viewport()) HintFromPointer(list, static_cast<QMouseEvent*>(event)->position().toPoint());
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- The search form ----

QWidget* TfrmTarvik::Control(TFormControl control) const {
  using C = TFormControl;
  switch (control) {
    case C::cbAlleDateien: return cbAlleDateien;
    case C::cbWriter: return cbWriter;
    case C::cbCalc: return cbCalc;
    case C::cbImpress: return cbImpress;
    case C::cbDraw: return cbDraw;
    case C::cbFormel: return cbFormel;
    case C::cbUnter: return cbUnter;
    case C::cbVorlagen: return cbVorlagen;
    case C::cbOO: return cbOO;
    case C::cbsdw: return cbsdw;
    case C::cbAlles: return cbAlles;
    case C::cbConntent: return cbConntent;
    case C::cbMeta: return cbMeta;
    case C::cbStyles: return cbStyles;
    case C::cbGrossklein: return cbGrossklein;
    case C::cbFile: return cbFile;
    case C::cbOneFile: return cbOneFile;
    case C::RadioButton1: return RadioButton1;
    case C::RadioButton2: return RadioButton2;
    case C::RadioButton3: return RadioButton3;
    case C::RadioButton4: return RadioButton4;
    case C::rbGerman: return rbGerman;
    case C::cbFormatierung: return cbFormatierung;
    case C::cbreturn: return cbreturn;
    case C::cbEinstellungen: return cbEinstellungen;
    case C::BtVerz: return BtVerz;
    case C::BtSuch: return BtSuch;
    case C::btende: return btende;
    case C::btverzread: return btverzread;
    case C::btcopy: return btcopy;
    case C::btopen: return btopen;
    case C::btnewsearch: return btnewsearch;
    case C::btleeren: return btleeren;
    case C::pnlergebnisbutton: return pnlergebnisbutton;
    case C::edLabel: return edLabel;
    case C::Label4: return Label4;
    case C::btbreak: return btbreak;
    case C::ProgressBar1: return ProgressBar1;
  }
  return nullptr;
}

QAbstractButton* TfrmTarvik::Box(TFormControl box) const { return qobject_cast<QAbstractButton*>(Control(box)); }

bool TfrmTarvik::IsChecked(TFormControl box) const {
  const QAbstractButton* button = Box(box);
  return button && button->isChecked();
}

std::string TfrmTarvik::FolderText() const { return Utf8(edVerzeichnis->currentText()); }
std::string TfrmTarvik::PhraseText() const { return Utf8(edSearch->currentText()); }
bool TfrmTarvik::MatchesReadableText() const { return cbFormatierung->isChecked(); }

void TfrmTarvik::SearchOptionsTaken(const TSearchOptions& options) {
  lastHits_.emplace(options.mode, PhraseToAnsi(options.phrase), options.caseSensitive);
}

void TfrmTarvik::ClearCandidates() { lbDateienAuswahl->clear(); }

void TfrmTarvik::AddCandidate(const std::string& path) {
  // Sorted insert, after any equal entry.
  int low = 0, high = lbDateienAuswahl->count();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (CandidateLess(path, Utf8(lbDateienAuswahl->item(middle)->text()))) high = middle;
    else low = middle + 1;
  }
  lbDateienAuswahl->insertItem(low, Q(path));
  if (lbDateienAuswahl->currentRow() < 0) lbDateienAuswahl->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void TfrmTarvik::ShowCandidatePlaceholder(bool visible) { lbdummy->setVisible(visible); }
std::size_t TfrmTarvik::CandidateCount() const { return static_cast<std::size_t>(lbDateienAuswahl->count()); }

std::string TfrmTarvik::CandidateAt(std::size_t i) const {
  if (i >= CandidateCount()) return {};
  return Utf8(lbDateienAuswahl->item(static_cast<int>(i))->text());
}

bool TfrmTarvik::CandidateSelected(std::size_t i) const {
  return i < CandidateCount() && lbDateienAuswahl->item(static_cast<int>(i))->isSelected();
}

void TfrmTarvik::ClearResults() {
  lbergebnis->clear();
  lbpfad->clear();
}

void TfrmTarvik::AddResult(const std::string& shown, const std::string& folder) {
  lbergebnis->addItem(Q(shown));
  lbpfad->addItem(Q(folder));
  // Painted with the window's next events: a search lets them run after every
  // batch of documents it takes (event_waiter.h), so a hit shows as soon as it
  // is taken, and many hits cost one painting, not one each.
  lbergebnis->update();
}

void TfrmTarvik::AddResultLine(const std::string& line) { lbergebnis->addItem(Q(line)); }
std::size_t TfrmTarvik::ResultCount() const { return static_cast<std::size_t>(lbergebnis->count()); }

std::string TfrmTarvik::ResultAt(std::size_t i) const {
  if (i >= ResultCount()) return {};
  return Utf8(lbergebnis->item(static_cast<int>(i))->text());
}

void TfrmTarvik::ClearErrors() {
  if (error_) error_->ClearList();
}
void TfrmTarvik::AddError(const std::string& path) {
  if (error_) error_->AddDocument(Q(path));
}
std::size_t TfrmTarvik::ErrorCount() const { return error_ ? static_cast<std::size_t>(error_->LineCount()) : 0; }
void TfrmTarvik::ShowErrorWindow() {
  if (error_) error_->ShowList();
}

void TfrmTarvik::SetEnabled(TFormControl control, bool on) { Control(control)->setEnabled(on); }
void TfrmTarvik::SetVisible(TFormControl control, bool on) { Control(control)->setVisible(on); }
void TfrmTarvik::SetCountText(const std::string& text) { edLabel->setText(Q(text)); }
void TfrmTarvik::SetProgressRange(int low, int high) {
  // An empty range (a run over one document) would show Qt's busy animation: the bar stays empty instead.
  ProgressBar1->setRange(low, std::max(low + 1, high));
}

void TfrmTarvik::SetProgressPosition(int position) {
  // QProgressBar paints itself at once whenever its bar grows by a pixel, and
  // a run moves it for every document: the bar follows a little later.
  progressPosition_ = position;
  if (!progressTimer_->isActive()) progressTimer_->start();
}

}  // namespace tarvik::ui
