// Scenarios that drive the real windows as a user would: offscreen, with the
// host services and the shell replaced by recorders, in a fresh start-up folder.

#include "support/temp_folder.h"

#include "ui/sprache.h"
#include "ui/tarvikst.h"

#include "platform/file_system.h"
#include "platform/host.h"
#include "platform/shell.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

using namespace tarvik;
using namespace tarvik::ui;
namespace fs = std::filesystem;

namespace {

class TRecordingHost : public THost {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool AskYesNo(const std::string& text, const std::string&) override {
    questions.push_back(text);
    return answerYes;
  }
  std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string&) override {
    folderTitles.push_back(caption);
    return chosenFolder;
  }

  std::vector<std::string> messages, errors, questions, folderTitles;
  bool answerYes = false;
  std::optional<std::string> chosenFolder;
};

class TRecordingShell : public TShell {
 public:
  bool HasAssociatedApplication(const std::string& path) override {
    asked.push_back(path);
    return associated;
  }
  bool OpenDocument(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  bool associated = true;
  std::vector<std::string> asked, opened;
};

// Children of this process that ended and were never waited for.
int EndedChildren() {
  int count = 0;
  std::error_code failed;
  for (const auto& entry : fs::directory_iterator("/proc", failed)) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == ::getpid()) ++count;
  }
  return count;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// Copies corpus folders into folder.
void CopyCorpus(const std::string& folder, std::initializer_list<const char*> parts) {
  for (const char* part : parts)
    fs::copy(fs::path(TARVIK_TEST_DATA) / "corpus" / part, fs::path(folder) / part, fs::copy_options::recursive);
}

void Type(QComboBox* box, const QString& text) {
  box->lineEdit()->selectAll();
  QTest::keyClick(box->lineEdit(), Qt::Key_Delete);
  QTest::keyClicks(box->lineEdit(), text);
}

void DoubleClick(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void HoverOver(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &move);
}

}  // namespace

class TWindowTest : public QObject {
  Q_OBJECT

 private:
  // A fresh start-up folder, made current, with the recorders installed.
  std::unique_ptr<test::TTempFolder> startup_;
  std::string previousDir_;
  TRecordingHost host_;
  TRecordingShell shell_;

  std::unique_ptr<TTarvikWindows> Start() { return std::make_unique<TTarvikWindows>(); }
  std::string File(const char* name) const { return *startup_ / name; }

 private slots:
  void init() {
    startup_ = std::make_unique<test::TTempFolder>();
    previousDir_ = GetCurrentDir();
    QVERIFY(SetCurrentDir(startup_->Path()));
    host_ = TRecordingHost();
    shell_ = TRecordingShell();
    SetHost(&host_);
    SetShell(&shell_);
  }
  void cleanup() {
    SetHost(nullptr);
    SetShell(nullptr);
    SetCurrentDir(previousDir_);
    startup_.reset();
  }

  // First start in an empty folder; the couplings, the mode display and the
  // re-read question; the folder chooser; the menu's info and help windows.
  void firstStartCouplingsAndModes() {
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    // The default option string: only Writer, sub-folders, content, templates, 2.0 formats, German.
    QVERIFY(!w.cbAlleDateien->isChecked() && w.cbWriter->isChecked() && !w.cbCalc->isChecked());
    QVERIFY(w.cbUnter->isChecked() && w.cbConntent->isChecked() && !w.cbMeta->isChecked());
    QVERIFY(w.cbVorlagen->isChecked() && w.cbOO->isChecked() && w.rbGerman->isChecked());
    QVERIFY(w.RadioButton1->isChecked() && w.GroupBox3->isHidden() && !w.cbFormatierung->isChecked());
    // The switch at start-up replaced the built-in captions.
    QCOMPARE(w.cbWriter->text(), QStringLiteral("Writer-Dokumente"));
    QCOMPARE(w.Label2->text(), QStringLiteral("Suchen nach"));
    QCOMPARE(w.btnewsearch->text(), QStringLiteral("Ergebnis übernehmen"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarvik 2.3 -------> StarOffice / OpenOffice.org - SuchTool "));
    QCOMPARE(Slurp(File("such.ini")), std::string("\r\n"));
    QCOMPARE(Slurp(File("verz.ini")), std::string("\r\n"));
    QVERIFY(!fs::exists(File("tarvik.ini")));
    QCOMPARE(Items(w.edSearch), QStringList{QString()});
    QVERIFY(w.edSearch->currentText().isEmpty());
    // Assistive technology reads every caption, fills the boxes and presses the buttons.
    for (QAbstractButton* button : w.findChildren<QAbstractButton*>()) {
      if (button->text().trimmed().isEmpty()) continue;
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(button);
      QVERIFY(control);
      QCOMPARE(control->text(QAccessible::Name), button->text());
    }
    for (QWidget* unnamed :
         std::initializer_list<QWidget*>{w.edVerzeichnis, w.edSearch, w.lbDateienAuswahl, w.lbergebnis})
      QVERIFY(!QAccessible::queryAccessibleInterface(unnamed)->text(QAccessible::Name).isEmpty());
    QAccessibleInterface* phrase = QAccessible::queryAccessibleInterface(w.edSearch->lineEdit());
    QVERIFY(phrase && phrase->editableTextInterface());
    phrase->editableTextInterface()->insertText(0, QStringLiteral("Haselnuss"));
    QCOMPARE(w.edSearch->currentText(), QStringLiteral("Haselnuss"));
    QAccessibleInterface* start = QAccessible::queryAccessibleInterface(w.BtSuch);
    QVERIFY(start->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    start->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(host_.messages.size(), std::size_t{1});
    QCOMPARE(host_.messages.back(), std::string("Das Verzeichnis ist ungültig."));  // no folder yet
    Type(w.edSearch, QString());

    // Kind coupling with re-collection.
    CopyCorpus(startup_->Path(), {"drawings", "letters", "sheets"});
    const QString folder = QString::fromStdString(startup_->Path());
    Type(w.edVerzeichnis, folder);
    w.cbAlleDateien->click();
    QVERIFY(w.cbDraw->isChecked() && w.cbFormel->isChecked());
    QCOMPARE(w.lbDateienAuswahl->count(), 6);
    w.cbDraw->click();
    QVERIFY(!w.cbAlleDateien->isChecked());
    QCOMPARE(w.lbDateienAuswahl->count(), 4);  // the two drawings are gone
    QVERIFY(!Lines(w.lbDateienAuswahl).join('\n').contains("drawings"));
    w.cbDraw->click();  // all five ticked by hand: "Alle Dateien" stays unticked
    QVERIFY(!w.cbAlleDateien->isChecked());
    QCOMPARE(Lines(w.lbDateienAuswahl).first(), folder + "/drawings/Floorplan.odg");

    // Part coupling: nothing is rebuilt.
    w.cbAlles->click();
    QVERIFY(w.cbMeta->isChecked() && w.cbStyles->isChecked());
    w.cbMeta->click();
    QVERIFY(!w.cbAlles->isChecked() && w.cbConntent->isChecked() && w.cbStyles->isChecked());

    // Re-read question: No keeps the list, Yes rebuilds it without sub-folders.
    w.cbUnter->click();
    QCOMPARE(host_.questions.back(), std::string("Soll das gewählte Verzeichnis neu eingelesen werden?"));
    QCOMPARE(w.lbDateienAuswahl->count(), 6);
    host_.answerYes = true;
    w.cbUnter->click();
    QCOMPARE(host_.questions.size(), std::size_t{2});
    QCOMPARE(w.lbDateienAuswahl->count(), 6);  // ticked again: with sub-folders
    w.cbUnter->click();
    QCOMPARE(w.lbDateienAuswahl->count(), 0);  // the documents lie in sub-folders only

    // Mode display: every choice of single words starts with "Jedes Wort".
    w.RadioButton2->click();
    QVERIFY(!w.GroupBox3->isHidden() && w.RadioButton3->isChecked());
    w.RadioButton4->click();
    w.RadioButton1->click();
    QVERIFY(w.GroupBox3->isHidden() && !w.RadioButton2->isChecked());
    w.RadioButton2->click();
    QVERIFY(w.RadioButton3->isChecked() && !w.RadioButton4->isChecked());

    // The folder chooser: German title; a chosen folder is read and enters the history.
    host_.chosenFolder = startup_->Path() + "/letters";
    w.cbUnter->click();
    w.BtVerz->click();
    QCOMPARE(host_.folderTitles.back(), std::string("Wählen Sie ein Verzeichnis"));
    QCOMPARE(w.lbDateienAuswahl->count(), 2);
    QVERIFY(w.lbdummy->isHidden());
    QCOMPARE(w.edVerzeichnis->itemText(0), folder + "/letters");

    // A folder typed relative means the same folder in every later action: it
    // is taken from the start-up folder (not from the folder read last, which
    // is the current one now) and then shown absolute.
    Type(w.edVerzeichnis, QStringLiteral("letters"));
    w.btverzread->click();
    QCOMPARE(w.edVerzeichnis->currentText(), folder + "/letters");
    QCOMPARE(w.lbDateienAuswahl->count(), 2);
    Type(w.edVerzeichnis, QStringLiteral("./letters"));
    w.cbCalc->click();
    QCOMPARE(w.edVerzeichnis->currentText(), folder + "/letters");
    QCOMPARE(w.lbDateienAuswahl->count(), 2);
    Type(w.edVerzeichnis, QStringLiteral("letters"));
    Type(w.edSearch, QStringLiteral("Fischer"));
    const auto messagesBefore = host_.messages.size();
    w.BtSuch->click();
    QCOMPARE(w.lbergebnis->count(), 2);
    QCOMPARE(host_.messages.size(), messagesBefore);

    // Info and help from the menu, modeless.
    w.Info1->trigger();
    QVERIFY(windows->frminfo->isVisible());
    QCOMPARE(windows->frminfo->windowTitle(), QStringLiteral("Tarvik - Info"));
    windows->frminfo->Button1->click();
    QVERIFY(!windows->frminfo->isVisible());
    w.Hilfe1->trigger();
    QVERIFY(w.HelpWindow() && w.HelpWindow()->isVisible());
    QVERIFY(w.HelpWindow()->ShownFile.endsWith("/tarvik.hlp"));
    QVERIFY(w.HelpWindow()->Browser->toHtml().contains("Dateiauswahl"));
  }

  // A full search by clicking and by Enter, the count and result buttons, the
  // commands on the results, the nothing-found line and the error window.
  void searchAndActOnResults() {
    CopyCorpus(startup_->Path(), {"letters", "sheets", "broken"});
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    TfrmError& e = *windows->frmError;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QString folder = QString::fromStdString(startup_->Path());
    w.cbAlleDateien->click();
    Type(w.edVerzeichnis, folder);
    Type(w.edSearch, QStringLiteral("Fischer"));

    // Enter does nothing while "Return/Enter direkt nach Suchtext" is unticked.
    QTest::keyClick(w.edSearch->lineEdit(), Qt::Key_Return);
    QCOMPARE(w.lbergebnis->count(), 0);

    w.BtSuch->click();
    const QStringList found{folder + "/letters/Einladung.sxw", folder + "/letters/Invitation.odt"};
    QCOMPARE(Lines(w.lbergebnis), found);
    QCOMPARE(Lines(w.lbpfad), (QStringList{folder + "/letters/", folder + "/letters/"}));
    QCOMPARE(w.edLabel->text(), QStringLiteral("2"));
    QVERIFY(!w.edLabel->isHidden() && !w.btcopy->isHidden() && !w.btopen->isHidden());
    QVERIFY(!w.pnlergebnisbutton->isHidden() && w.btbreak->isHidden() && w.ProgressBar1->isHidden());
    QVERIFY(w.BtSuch->isEnabled() && w.btende->isEnabled());
    QVERIFY(!fs::exists(File("temp")));  // the search writes no file
    // The bad documents are listed in run order, and the window is shown after the run.
    QVERIFY(e.isVisible());
    const QStringList bad = e.Memo1->toPlainText().split('\n');
    QVERIFY(bad.contains(folder + "/broken/notazip.odt") && bad.contains(folder + "/broken/cut.odt"));
    QVERIFY(bad.contains(folder + "/broken/tiny.sxw"));
    QVERIFY(bad.indexOf(folder + "/broken/cut.odt") < bad.indexOf(folder + "/broken/notazip.odt"));
    e.Button2->click();
    QCOMPARE(QApplication::clipboard()->text(), bad.join("\r\n") + "\r\n");
    e.Button1->click();
    QVERIFY(!e.isVisible());

    // Copy: every line followed by CR LF, then message 503.
    w.btcopy->click();
    QCOMPARE(QApplication::clipboard()->text(), found.join("\r\n") + "\r\n");
    QCOMPARE(host_.messages.back(), std::string("Das Suchergebnis wurde in die Zwischenablage kopiert!"));

    // Names only: bare names shown, full paths opened and copied as shown.
    w.cbFile->click();
    QCOMPARE(Lines(w.lbergebnis), (QStringList{"Einladung.sxw", "Invitation.odt"}));
    w.lbergebnis->setCurrentRow(1);
    w.btopen->click();
    QCOMPARE(QString::fromStdString(shell_.opened.back()), found[1]);
    DoubleClick(w.lbergebnis, 0);
    QCOMPARE(QString::fromStdString(shell_.opened.back()), found[0]);
    shell_.associated = false;
    w.btopen->click();
    QCOMPARE(host_.errors.back(), std::string("StarOffice / OpenOffice ist nicht verknüpft mit der Anwendung!"));
    shell_.associated = true;
    w.btcopy->click();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Einladung.sxw\r\nInvitation.odt\r\n"));

    // The preview's gate (the extension lower-cased first), and the hint over long entries only.
    w.btVorschau->click();
    QVERIFY(windows->frmVorschau->isVisible());
    QCOMPARE(windows->frmVorschau->Edit1->text(), found[0]);
    QCOMPARE(windows->frmVorschau->Edit2->text(), folder);
    windows->frmVorschau->Button1->click();
    w.cbFile->click();
    QCOMPARE(Lines(w.lbergebnis), found);
    w.lbergebnis->item(0)->setText(folder + "/Brief.SXW");
    w.btVorschau->click();
    QCOMPARE(windows->frmVorschau->Edit1->text(), folder + "/Brief.SXW");
    w.lbergebnis->item(0)->setText(folder + "/Folien.sxi");
    w.btVorschau->click();
    QCOMPARE(host_.messages.back(), std::string("Vorschau nur für Writer- und Calc-Dokumente ab 6.0/1.0 möglich."));
    w.lbergebnis->setToolTip(QString());
    w.lbergebnis->item(0)->setText(QString(50, 'b'));
    HoverOver(w.lbergebnis, 0);
    QVERIFY(w.lbergebnis->toolTip().isEmpty());  // 50 characters: no hint
    w.lbergebnis->item(0)->setText(QString(51, 'b'));
    HoverOver(w.lbergebnis, 0);
    QCOMPARE(w.lbergebnis->toolTip(), QString(51, 'b'));
    w.lbergebnis->item(0)->setText(found[0]);

    // "Ergebnis übernehmen" with names only: full paths become the candidates,
    // and a search by Enter searches exactly these.
    w.cbFile->click();
    QVERIFY(!w.lbdummy->isHidden());  // collected by the search: still under the placeholder
    w.btnewsearch->click();
    QCOMPARE(Lines(w.lbDateienAuswahl), found);
    QVERIFY(w.lbdummy->isHidden());
    QCOMPARE(w.lbergebnis->count(), 0);
    QVERIFY(!w.btcopy->isHidden());
    w.cbreturn->click();
    Type(w.edSearch, QStringLiteral("Reiher"));
    w.cbMeta->click();
    QTest::keyClick(w.edSearch->lineEdit(), Qt::Key_Return);
    QCOMPARE(Lines(w.lbergebnis), QStringList{"Einladung.sxw"});
    QCOMPARE(e.LineCount(), 0);  // no bad document among the two; the list was emptied

    // "Nur in den ausgewählten Dateien suchen": only the marked candidates.
    QTest::mouseClick(w.lbDateienAuswahl->viewport(), Qt::LeftButton, Qt::NoModifier,
                      w.lbDateienAuswahl->visualItemRect(w.lbDateienAuswahl->item(1)).center());
    QCOMPARE(w.lbDateienAuswahl->toolTip(), found[1]);  // a click shows the entry as the hint
    w.cbOneFile->click();
    Type(w.edSearch, QStringLiteral("Fischer"));
    w.BtSuch->click();
    QCOMPARE(Lines(w.lbergebnis), QStringList{"Invitation.odt"});
    w.cbOneFile->click();

    // Nothing found: the single line 507; the commands on it do no harm.
    Type(w.edSearch, QStringLiteral("Zebrafink"));
    w.BtSuch->click();
    QCOMPARE(Lines(w.lbergebnis), QStringList{"Keine Datei mit den gesuchten Begriffen gefunden"});
    QVERIFY(w.btcopy->isHidden() && w.edLabel->isHidden());
    w.lbergebnis->setCurrentRow(0);
    const auto openedBefore = shell_.opened.size();
    DoubleClick(w.lbergebnis, 0);
    QCOMPARE(shell_.opened.size(), openedBefore);
    w.cbFile->click();
    QCOMPARE(w.lbergebnis->item(0)->text(), QStringLiteral("Keine Datei mit den gesuchten Begriffen gefunden"));
    w.btnewsearch->click();
    QCOMPARE(w.lbDateienAuswahl->count(), 0);

    // A folder that does not exist, and an empty phrase.
    Type(w.edVerzeichnis, folder + "/nowhere");
    w.BtSuch->click();
    QCOMPARE(host_.messages.back(), std::string("Das Verzeichnis ist ungültig."));
    Type(w.edVerzeichnis, folder);
    Type(w.edSearch, QString());
    w.BtSuch->click();
    QCOMPARE(host_.messages.back(), std::string("Es wurde kein Suchbegriff eingeben."));

    // "Neue Suche" empties both lists and hides the result commands.
    Type(w.edSearch, QStringLiteral("Fischer"));
    w.BtSuch->click();
    QVERIFY(!w.btleeren->isHidden());
    w.btleeren->click();
    QVERIFY(w.lbergebnis->count() == 0 && w.lbDateienAuswahl->count() == 0 && !w.lbdummy->isHidden());
    QVERIFY(w.btleeren->isHidden() && w.btcopy->isHidden() && w.Label4->isHidden());
  }

  // "Suche abbrechen" during a parallel run; handlers used while the run lets
  // events run; Enter ignored during a run; closing during a run.
  void stopAndCloseDuringARun() {
    CopyCorpus(startup_->Path(), {"letters", "sheets"});
    // Enough documents that a stop pressed at once leaves most of them unsearched.
    fs::create_directory(File("many"));
    for (int i = 0; i < 200; ++i)
      fs::copy(File("letters/Invitation.odt"), File("many") + "/Invitation" + std::to_string(1000 + i) + ".odt");
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    const QString folder = QString::fromStdString(startup_->Path());
    w.cbAlleDateien->click();
    w.cbreturn->click();
    Type(w.edVerzeichnis, folder);
    Type(w.edSearch, QStringLiteral("Fischer"));
    w.BtSuch->click();
    const QStringList all = Lines(w.lbergebnis);
    QCOMPARE(all.size(), 202);
    // Runs step the first time the run lets the window's events run.
    auto during = [&w](std::function<void()> step) { QTimer::singleShot(0, &w, std::move(step)); };

    // Stopped at once: the documents being read finish, no other is started,
    // and those searched are listed in candidate order.
    bool ran = false;
    during([&] {
      ran = true;
      QVERIFY(w.IsSearching() && !w.BtSuch->isEnabled() && !w.btbreak->isHidden());
      QTest::keyClick(w.edSearch->lineEdit(), Qt::Key_Return);  // ignored: no run inside a run
      w.btbreak->click();
    });
    w.BtSuch->click();
    QVERIFY(ran && !w.IsSearching());
    QStringList stopped = Lines(w.lbergebnis);
    if (stopped == QStringList{"Keine Datei mit den gesuchten Begriffen gefunden"}) stopped.clear();
    QVERIFY2(stopped.size() < all.size(), qPrintable(QString::number(stopped.size())));
    QCOMPARE(stopped, all.mid(0, stopped.size()));
    if (!stopped.isEmpty()) QCOMPARE(w.edLabel->text(), QString::number(stopped.size()));
    QVERIFY(w.BtSuch->isEnabled() && w.btbreak->isHidden() && w.ProgressBar1->isHidden());

    // Handlers that change the lists while the run goes on do no harm.
    during([&] {
      w.cbFile->click();
      w.btleeren->click();
      w.cbCalc->click();
      w.btVorschau->click();
      w.btnewsearch->click();
    });
    w.BtSuch->click();
    QVERIFY(!w.IsSearching());

    // Closing during a run stops it, then closes and writes the histories.
    QSignalSpy closed(windows->frmTarvik.get(), &TfrmTarvik::closed);
    w.cbEinstellungen->click();
    w.cbAlleDateien->click();
    w.btleeren->click();
    Type(w.edSearch, QStringLiteral("Haselnuss"));
    during([&] {
      w.close();
      QCOMPARE(closed.count(), 0);  // the close waits for the run to stop
    });
    w.show();
    w.BtSuch->click();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(Slurp(File("such.ini")), std::string("Haselnuss\r\n"));
    QCOMPARE(Slurp(File("tarvik.ini")), std::string("111111101001001011110\r\n"));
  }

  // Options and histories round trip through the three files, the compaction
  // limits, the history rules, and the language switch and back.
  void settingsHistoriesAndLanguage() {
    startup_->Write("tarvik.ini", "0010000000010000110\r\nTURKISH_CHARSET\r\n");  // 19 characters: English
    std::string folders;
    for (int i = 0; i < 40; ++i) folders += "/folder" + std::to_string(i) + "\r\n";
    startup_->Write("verz.ini", folders);
    startup_->Write("such.ini", "\r\nabc\r\nxyz\r\n");
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;

    QVERIFY(w.rbEnglish->isChecked() && !w.rbGerman->isChecked());
    QCOMPARE(w.HelpFile(), QStringLiteral("tarvike.hlp"));
    QVERIFY(!w.cbWriter->isChecked() && w.cbCalc->isChecked() && !w.cbAlleDateien->isChecked());
    QVERIFY(!w.cbUnter->isChecked() && !w.cbConntent->isChecked() && w.cbVorlagen->isChecked());
    QVERIFY(w.cbOO->isChecked() && w.cbreturn->isChecked() && !w.cbEinstellungen->isChecked());
    QCOMPARE(w.OptionSecondLine(), std::string("TURKISH_CHARSET"));
    QCOMPARE(w.cbWriter->text(), QStringLiteral("Writer-Documents"));
    QCOMPARE(w.BtSuch->text(), QStringLiteral("Search"));
    QCOMPARE(w.btcopy->text(), QStringLiteral("Erg. in die Zwischenablage"));
    QCOMPARE(w.btcopy->toolTip(), QStringLiteral("Copy result in clipboard"));
    QCOMPARE(w.btnewsearch->text(), QStringLiteral("Ergebnis übernehmen"));
    QCOMPARE(w.cbMeta->toolTip(),
             QStringLiteral("Enthält allgemeine Dokumentendaten ( Autor, letzte Speicherung etc.)"));
    QCOMPARE(windows->frmError->windowTitle(), QStringLiteral("Fehlermeldung "));
    QVERIFY(!w.cbFormatierung->isChecked());
    QCOMPARE(w.cbFormatierung->text(), QStringLiteral("Ignore formatting"));
    QVERIFY(w.cbFormatierung->toolTip().startsWith("Searches the text as a reader sees it"));

    // Compaction: an empty line and the first 30 lines.
    QCOMPARE(w.edVerzeichnis->count(), 31);
    QCOMPARE(w.edVerzeichnis->itemText(0), QString());
    QCOMPARE(w.edVerzeichnis->itemText(30), QStringLiteral("/folder29"));
    QCOMPARE(Items(w.edSearch), (QStringList{"", "abc", "xyz"}));

    // History update when a list drops down: duplicates by exact case.
    Type(w.edVerzeichnis, QStringLiteral("/folder3"));
    w.edVerzeichnis->showPopup();
    w.edVerzeichnis->hidePopup();
    QCOMPARE(w.edVerzeichnis->count(), 31);
    Type(w.edVerzeichnis, QStringLiteral("/FOLDER3"));
    w.edVerzeichnis->showPopup();
    w.edVerzeichnis->hidePopup();
    QCOMPARE(w.edVerzeichnis->count(), 32);
    QCOMPARE(w.edVerzeichnis->itemText(0), QStringLiteral("/FOLDER3"));
    QCOMPARE(w.edVerzeichnis->currentText(), QStringLiteral("/FOLDER3"));
    // Choosing "xyz", clearing the text and dropping down deletes it from the phrases only.
    w.edSearch->setCurrentIndex(2);
    QCOMPARE(w.edSearch->currentText(), QStringLiteral("xyz"));
    Type(w.edSearch, QString());
    w.edSearch->showPopup();
    w.edSearch->hidePopup();
    QCOMPARE(Items(w.edSearch), (QStringList{"", "abc"}));
    QCOMPARE(w.edVerzeichnis->count(), 32);

    // The language switch and back, messages in the language of the moment.
    w.Button1->click();
    QCOMPARE(host_.messages.back(), std::string("Options are saved!"));
    QCOMPARE(Slurp(File("tarvik.ini")), std::string("001000000001000011000\r\nTURKISH_CHARSET\r\n"));
    w.rbGerman->click();
    QCOMPARE(w.cbFormatierung->text(), QStringLiteral("Formatierung übergehen"));
    QVERIFY(w.cbFormatierung->toolTip().startsWith("Sucht im Text, wie ein Leser ihn sieht"));
    QCOMPARE(w.HelpFile(), QStringLiteral("tarvik.hlp"));
    QCOMPARE(w.cbWriter->text(), QStringLiteral("Writer-Dokumente"));
    QCOMPARE(w.btcopy->toolTip(), QStringLiteral("Erg. in die Zwischenablage"));
    QCOMPARE(w.gbDateiAuswahl->title(), QStringLiteral("Dateiauswahl"));
    w.rbEnglish->click();
    QCOMPARE(w.gbDateiAuswahl->title(), QStringLiteral("File"));
    w.Hilfe1->trigger();
    QVERIFY(w.HelpWindow()->ShownFile.endsWith("/tarvike.hlp"));
    w.rbGerman->click();
    w.cbEinstellungen->click();
    w.cbFormatierung->click();

    // Close: verz.ini examines 15 entries, such.ini 25; options saved in German.
    Type(w.edSearch, QStringLiteral("abc"));
    QSignalSpy closed(&w, &TfrmTarvik::closed);
    w.btende->click();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(Slurp(File("such.ini")), std::string("abc\r\n"));
    std::string expected = "/FOLDER3\r\n";
    for (int i = 0; i < 13; ++i) expected += "/folder" + std::to_string(i) + "\r\n";
    QCOMPARE(Slurp(File("verz.ini")), expected);
    QCOMPARE(Slurp(File("tarvik.ini")), std::string("001000000001000011111\r\nTURKISH_CHARSET\r\n"));

    // The next start reads them back.
    windows.reset();
    windows = Start();
    QVERIFY(windows->frmTarvik->rbGerman->isChecked() && windows->frmTarvik->cbEinstellungen->isChecked());
    QVERIFY(windows->frmTarvik->cbFormatierung->isChecked());
    QCOMPARE(Items(windows->frmTarvik->edSearch), (QStringList{"", "abc"}));
    QCOMPARE(windows->frmTarvik->edVerzeichnis->count(), 15);
  }

  // The preview of a found document: built when the window is shown, only
  // raised while it is shown, Contents.txt beside the executable, the
  // Turkish character set, a document that cannot be unpacked, and the
  // last search's hits marked in the text.
  void previewOfFoundDocuments() {
    CopyCorpus(startup_->Path(), {"letters"});
    fs::copy(fs::path(TARVIK_TEST_DATA) / "preview" / "Island.odt", File("letters/Island.odt"));
    fs::copy(fs::path(TARVIK_TEST_DATA) / "corpus" / "broken" / "notazip.odt", File("Kaputt.sxw"));
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    TfrmVorschau& v = *windows->frmVorschau;
    TfrmError& e = *windows->frmError;
    w.show();
    const QString folder = QString::fromStdString(startup_->Path());
    Type(w.edVerzeichnis, folder + "/letters");
    Type(w.edSearch, QStringLiteral("i"));
    w.BtSuch->click();  // the current folder is letters now
    QCOMPARE(Lines(w.lbergebnis), (QStringList{folder + "/letters/Einladung.sxw", folder + "/letters/Invitation.odt",
                                               folder + "/letters/Island.odt"}));
    QCOMPARE(v.windowTitle(), QStringLiteral("Tarvik 2.3 - Textvorschau"));
    QVERIFY(!v.isVisible() && v.Edit2->isHidden() && v.MmoSource->isHidden() && !v.Edit1->isEnabled());

    // The split paragraph keeps its blanks; the two empty lines at the start are one.
    w.lbergebnis->setCurrentRow(1);
    w.btVorschau->click();
    QVERIFY(v.isVisible());
    const QString invitation = QStringList{"",
                                           "Dear Ms. Fischer,",
                                           "please join our ",
                                           "summer",
                                           " party at the Café Zürich on 5 July.",
                                           "Entry: 12,50 € per person.",
                                           "Smith & Wesson Ltd. sponsors the drinks."}
                                   .join('\n');
    QCOMPARE(v.MmoContents->toPlainText(), invitation);
    QVERIFY(fs::is_empty(File("temp")));
    const std::string contents = Slurp(QCoreApplication::applicationDirPath().toStdString() + "/Contents.txt");
    QCOMPARE(contents.substr(0, 23), std::string("\r\n\r\nDear Ms. Fischer,\r\n"));
    QVERIFY(contents.find("Caf\xE9 Z\xFCrich") != std::string::npos);

    // Shown already: only brought to the front, the text stays.
    w.lbergebnis->setCurrentRow(0);
    w.btVorschau->click();
    QCOMPARE(v.Edit1->text(), folder + "/letters/Einladung.sxw");
    QCOMPARE(v.MmoContents->toPlainText(), invitation);
    v.Button1->click();
    QVERIFY(!v.isVisible());

    // TURKISH_CHARSET in the current folder: the same bytes in the Turkish code page, from now on.
    QCOMPARE(v.MmoContents->property(kCharsetProperty).toInt(), kDefaultCharset);
    w.lbergebnis->setCurrentRow(2);
    w.btVorschau->click();
    QCOMPARE(v.MmoContents->toPlainText(), QStringLiteral("\nÞingvellir, Garðabær"));
    v.Button1->click();
    startup_->Write("letters/tarvik.ini", "01000010100100001001\r\nTURKISH_CHARSET\r\n");
    w.btVorschau->click();
    QCOMPARE(v.MmoContents->property(kCharsetProperty).toInt(), kTurkishCharset);
    QCOMPARE(v.MmoContents->toPlainText(), QStringLiteral("\nŞingvellir, Garğabær"));
    v.Button1->click();
    fs::remove(File("letters/tarvik.ini"));
    w.btVorschau->click();
    QCOMPARE(v.MmoContents->property(kCharsetProperty).toInt(), kTurkishCharset);
    v.Button1->click();

    // Not an archive: an empty preview, the path in the error list, the error window shown.
    QVERIFY(!e.isVisible() && e.LineCount() == 0);
    w.lbergebnis->item(0)->setText(folder + "/Kaputt.sxw");
    w.lbergebnis->setCurrentRow(0);
    w.btVorschau->click();
    QVERIFY(v.isVisible() && e.isVisible());
    QCOMPARE(v.MmoContents->toPlainText(), QString());
    QCOMPARE(e.Memo1->toPlainText(), folder + "/Kaputt.sxw");
    QVERIFY(fs::is_empty(File("temp")));

    // The language switch leaves the preview's German texts alone.
    w.rbEnglish->click();
    QCOMPARE(v.Label1->text(), QStringLiteral("Dateiname:"));
    QCOMPARE(v.Button1->text(), QStringLiteral("Schliessen"));
    QCOMPARE(v.Label2->text(), QStringLiteral("Der Inhalt wird inklusiver aller  zusätzlichen Objekte angezeigt. "
                                              "Z.B. Buttons, Felder, Rahmen etc."));

    // The last search's hits: each marked, the first one shown, F3 and
    // Shift+F3 round them; a word split by a span (two lines) is not marked.
    v.Button1->click();
    fs::create_directory(File("birds"));
    fs::copy(fs::path(TARVIK_TEST_DATA) / "preview" / "Reiher.odt", File("birds/Reiher.odt"));
    fs::copy(fs::path(TARVIK_TEST_DATA) / "text" / "readable.odt", File("birds/readable.odt"));
    Type(w.edVerzeichnis, folder + "/birds");
    w.btverzread->click();
    Type(w.edSearch, QStringLiteral("reiher"));
    w.BtSuch->click();
    Type(w.edSearch, QStringLiteral("ufer"));  // typed after the run: the run's phrase is marked
    QCOMPARE(Lines(w.lbergebnis), QStringList{folder + "/birds/Reiher.odt"});
    w.lbergebnis->setCurrentRow(0);
    w.btVorschau->click();
    const QString text = v.MmoContents->toPlainText();
    const int first = text.indexOf("Reiher"), second = text.indexOf("Reiher", first + 1),
              third = text.indexOf("REIHER");
    QVERIFY(first > 0 && second > first && third > second && text.contains("Rei\nher"));
    auto marked = [&v](int position) {  // the character at position has the hit background
      QTextCursor at(v.MmoContents->document());
      at.setPosition(position + 1);
      return at.charFormat().background().style() != Qt::NoBrush;
    };
    QVERIFY(marked(first) && marked(first + 5) && !marked(first - 1) && !marked(first + 6));
    QVERIFY(marked(second) && marked(third + 5) && !marked(text.indexOf("Rei\nher")));
    QCOMPARE(v.HitCount(), 3);
    QCOMPARE(v.lbTreffer->text(), QStringLiteral("Treffer 1 von 3"));
    QCOMPARE(v.MmoContents->extraSelections().size(), 1);
    QCOMPARE(v.MmoContents->extraSelections()[0].cursor.selectionStart(), first);
    QVERIFY(v.MmoContents->verticalScrollBar()->value() > 0);  // 120 lines further down
    QVERIFY(v.MmoContents->viewport()->rect().contains(v.MmoContents->cursorRect()));
    v.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&v));
    QTest::keyClick(v.MmoContents, Qt::Key_F3);
    QCOMPARE(v.MmoContents->extraSelections()[0].cursor.selectionStart(), second);
    QCOMPARE(v.lbTreffer->text(), QStringLiteral("Treffer 2 von 3"));
    QTest::keyClick(v.MmoContents, Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(v.MmoContents, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(v.MmoContents->textCursor().position(), third);
    QCOMPARE(v.lbTreffer->text(), QStringLiteral("Treffer 3 von 3"));

    // A word that stands only in markup (a link's address) marks nothing; the preview opens all the same.
    v.Button1->click();
    Type(w.edSearch, QStringLiteral("Geheimwort"));
    w.BtSuch->click();
    QCOMPARE(Lines(w.lbergebnis), QStringList{folder + "/birds/readable.odt"});
    w.lbergebnis->setCurrentRow(0);
    w.btVorschau->click();
    QVERIFY(v.isVisible() && !v.MmoContents->toPlainText().isEmpty());
    QCOMPARE(v.HitCount(), 0);
    QVERIFY(v.MmoContents->extraSelections().isEmpty());
    QCOMPARE(v.lbTreffer->text(), QStringLiteral("Kein Treffer im Vorschautext"));
  }

  // A start-up folder where the files and the scratch folder cannot be written.
  void writeProtectedStartupFolder() {
    CopyCorpus(startup_->Path(), {"letters"});
    startup_->Write("tarvik.ini", "11111111111100000001\r\n");
    startup_->MakeFolder("such.ini");         // re-creating such.ini fails
    startup_->Write("temp", "not a folder");  // the scratch folder cannot be made here
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    // The options are applied (the 20-character string of an older file leaves
    // "Formatierung übergehen" cleared), the histories stay empty, the error box tells why.
    QVERIFY(w.cbAlleDateien->isChecked() && w.cbAlles->isChecked() && !w.cbFormatierung->isChecked());
    QCOMPARE(host_.errors.size(), std::size_t{1});
    QVERIFY(host_.errors[0].find("such.ini") != std::string::npos);
    QCOMPARE(w.edSearch->count(), 0);
    QCOMPARE(w.edVerzeichnis->count(), 0);

    // The search unpacks nothing, so it needs no scratch folder.
    Type(w.edVerzeichnis, QString::fromStdString(startup_->Path()));
    Type(w.edSearch, QStringLiteral("Osprey"));
    w.BtSuch->click();
    QCOMPARE(w.lbergebnis->count(), 1);
    QCOMPARE(windows->frmError->LineCount(), 0);
    QVERIFY(fs::is_regular_file(File("temp")));
    w.Button1->click();  // saving works: the file is writable
    QCOMPARE(host_.messages.back(), std::string("Die Einstellungen wurden gespeichert!"));

    // Closing fails at such.ini: verz.ini is written, the error is shown once,
    // and the window closes all the same.
    QSignalSpy closed(&w, &TfrmTarvik::closed);
    w.btende->click();
    QCOMPARE(closed.count(), 1);
    QCOMPARE(host_.errors.size(), std::size_t{2});
    QVERIFY(host_.errors[1].find("such.ini") != std::string::npos);
    QVERIFY(fs::exists(File("verz.ini")));
  }

  // The window searches as tarvik-find does: the same results and the same
  // error list, in the same order, for every sample document; with
  // "Formatierung übergehen" as tarvik-find --text, which finds a phrase
  // split by a bold span. The window fills the prefilter cache in its first
  // searches and consults it in the later ones, for raw lines and readable
  // text apart (documents changed in the last two seconds are not recorded);
  // tarvik-find reads every document.
  void sameResultsAndErrorsAsTarvikFind() {
    fs::copy(fs::path(TARVIK_TEST_DATA) / "corpus", File("corpus"), fs::copy_options::recursive);
    fs::copy(fs::path(TARVIK_TEST_DATA) / "text", File("corpus/text"), fs::copy_options::recursive);
    const QByteArray cacheSetting = qgetenv("TARVIK_CACHE"), cacheHome = qgetenv("XDG_CACHE_HOME");
    qputenv("TARVIK_CACHE", "on");
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(File("xdg")));
    struct TRestore {
      QByteArray setting, home;
      ~TRestore() {
        qputenv("TARVIK_CACHE", setting);
        qputenv("XDG_CACHE_HOME", home);
      }
    } restore{cacheSetting, cacheHome};
    QTest::qWait(2100);
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    const QString folder = QString::fromStdString(File("corpus"));
    w.cbAlleDateien->click();
    w.cbAlles->click();
    Type(w.edVerzeichnis, folder);
    struct TCase {
      const char* phrase;
      const char* mode;
      bool text;
    };
    const QString split = folder + "/text/readable.odt";
    for (const TCase& c : {TCase{"Fischer", "whole", false}, TCase{"osprey haselnuss 2006", "any", false},
                           TCase{"Ein fetter Text", "whole", false}, TCase{"Ein fetter Text", "whole", true},
                           TCase{"osprey haselnuss 2006", "any", true}}) {
      if (QByteArray(c.mode) == "any") {
        w.RadioButton2->click();
        w.RadioButton4->click();
      } else {
        w.RadioButton1->click();  // selected already the first time: it stays selected
      }
      if (w.cbFormatierung->isChecked() != c.text) w.cbFormatierung->click();
      Type(w.edSearch, QString::fromUtf8(c.phrase));
      w.BtSuch->click();
      QCOMPARE(Lines(w.lbergebnis).contains(split), c.text && QByteArray(c.phrase) == "Ein fetter Text");
      QStringList arguments{"--no-cache", "-t", "-p", "all", "-m", c.mode, folder, c.phrase};
      if (c.text) arguments.prepend("--text");
      QProcess find;
      find.start(QString::fromUtf8(TARVIK_FIND), arguments);
      QVERIFY(find.waitForFinished(60000));
      const QStringList found = QString::fromUtf8(find.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
      QStringList failed;
      for (const QString& line : QString::fromUtf8(find.readAllStandardError()).split('\n', Qt::SkipEmptyParts))
        if (line.startsWith("tarvik-find: cannot search: ")) failed << line.mid(28);
      QVERIFY(!failed.isEmpty());
      // Where tarvik-find prints nothing, the window shows its nothing-found line.
      QCOMPARE(Lines(w.lbergebnis),
               found.isEmpty() ? QStringList{"Keine Datei mit den gesuchten Begriffen gefunden"} : found);
      QCOMPARE(windows->frmError->Memo1->toPlainText().split('\n'), failed);
    }
    QVERIFY(fs::file_size(File("xdg/tarvik/cache.sqlite")) > 0);
  }

  // Opening with the desktop's shell: the association is asked once per file
  // type, and the opener starts detached: the window answers while the
  // application runs (a stand-in that takes 20 s), and nothing is left behind.
  void openingNeverBlocks() {
    CopyCorpus(startup_->Path(), {"letters"});
    const std::string bin = File("bin"), log = File("asked"), mark = File("opened");
    fs::create_directory(bin);
    auto script = [&bin](const char* name, const std::string& body) {
      std::ofstream(bin + "/" + name) << "#!/bin/sh\n" << body;
      fs::permissions(bin + "/" + name, fs::perms::owner_all);
    };
    script("xdg-mime", "echo \"$2\" >>" + log +
                           "\ncase \"$2\" in filetype) echo application/x-test;; default) echo test.desktop;; esac\n");
    script("xdg-open", "echo $$ $(readlink /proc/$$/fd/1) >" + mark + ".part && mv " + mark + ".part " + mark +
                           "\nexec sleep 20\n");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin) + ":" + path);
    SetShell(nullptr);
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    Type(w.edVerzeichnis, QString::fromStdString(File("letters")));
    Type(w.edSearch, QStringLiteral("Fischer"));
    w.BtSuch->click();
    QVERIFY(!w.btopen->isHidden());
    QCOMPARE(Slurp(log), std::string("filetype\ndefault\n"));

    w.lbergebnis->setCurrentRow(0);
    QElapsedTimer clock;
    clock.start();
    w.btopen->click();
    QVERIFY(clock.elapsed() < 5000);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(mark), 10000);  // the window's events run meanwhile
    std::istringstream opened(Slurp(mark));
    pid_t opener = 0;
    std::string output;
    opened >> opener >> output;
    QCOMPARE(output, std::string("/dev/null"));  // no pipe of the window reaches the application
    QCOMPARE(EndedChildren(), 0);
    QCOMPARE(Slurp(log), std::string("filetype\ndefault\n"));  // the same type is not asked again
    ::kill(opener, SIGKILL);
    qputenv("PATH", path);
  }

  // The window as built: a match mode even when tarvik.ini cannot be read,
  // the controls at their places, the menu's caption; a run over one
  // document shows an empty bar, not a busy one; the keyboard moves the hint.
  void builtStateAndSmallerRules() {
    // A file whose reading fails for every user: the start-up stops at once.
    fs::create_symlink("/proc/self/mem", File("tarvik.ini"));
    CopyCorpus(startup_->Path(), {"letters"});
    auto windows = Start();
    TfrmTarvik& w = *windows->frmTarvik;
    QCOMPARE(host_.errors.size(), std::size_t{1});
    QVERIFY(w.RadioButton1->isChecked());
    QCOMPARE(w.Programm1->title(), QStringLiteral("Programm"));
    const double s = w.Scale();
    struct TPlace {
      QWidget* control;
      int left, top;
    };
    for (const TPlace& p : {TPlace{w.edVerzeichnis, 352, 16}, TPlace{w.cbAlles, 16, 16}, TPlace{w.Label2, 232, 200},
                            TPlace{w.edSearch, 336, 192}, TPlace{w.RadioButton3, 8, 8}, TPlace{w.RadioButton4, 96, 8},
                            TPlace{w.cbOneFile, 312, 256}, TPlace{w.edLabel, 552, 248}, TPlace{w.Label4, 584, 256},
                            TPlace{w.cbEinstellungen, 16, 16}, TPlace{w.rbGerman, 56, 64}, TPlace{w.rbEnglish, 136, 64},
                            TPlace{w.Button1, 8, 440}, TPlace{w.Label5, 16, 528}, TPlace{w.cbFile, 16, 48},
                            TPlace{w.cbFormatierung, 16, 65}, TPlace{w.gbeinstellungen, 8, 344}})
      QCOMPARE(p.control->pos(), QPoint(Scaled(p.left, s), Scaled(p.top, s)));
    // "Formatierung übergehen" fits in its group, under the other two, and the group above "Einstellungen".
    QVERIFY(w.gbSonstiges->rect().contains(w.cbFormatierung->geometry()));
    QVERIFY(!w.cbFormatierung->geometry().intersects(w.cbFile->geometry()));
    QVERIFY(!w.gbSonstiges->geometry().intersects(w.gbeinstellungen->geometry()));
    QCOMPARE(w.Button1->width(), Scaled(129, s));

    fs::create_directory(File("one"));
    fs::copy(File("letters/Invitation.odt"), File("one/Invitation.odt"));
    Type(w.edVerzeichnis, QString::fromStdString(File("one")));
    Type(w.edSearch, QStringLiteral("Fischer"));
    w.BtSuch->click();
    QCOMPARE(w.lbergebnis->count(), 1);
    QVERIFY(w.ProgressBar1->maximum() > w.ProgressBar1->minimum());
    Type(w.edVerzeichnis, QString::fromStdString(File("letters")));
    w.btverzread->click();
    w.BtSuch->click();
    QCOMPARE(w.lbergebnis->count(), 2);

    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.lbergebnis->setFocus();
    w.lbergebnis->setCurrentRow(0);
    QTest::keyClick(w.lbergebnis, Qt::Key_Down);
    QCOMPARE(w.lbergebnis->toolTip(), w.lbergebnis->item(1)->text());
  }
};

QTEST_MAIN(TWindowTest)
#include "window_test.moc"
