#include "ui/info.h"

#include "ui/sprache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tarvik::ui {

namespace {

const char* const kInfoText =
    "Tarvik durchsucht StarOffice- und OpenOffice.org-Dokumente\n"
    "nach Wörtern und Sätzen.\n"
    "\n"
    "Autor: das Tarvik-Team\n"
    "Kontakt: über die Projektseite von Tarvik\n"
    "\n"
    "Tarvik ist freie Software. Sie dürfen das Programm\n"
    "benutzen, weitergeben und verändern.\n"
    "Es wird ohne jede Gewährleistung bereitgestellt,\n"
    "auch ohne die Zusicherung der Eignung für einen\n"
    "bestimmten Zweck.\n"
    "\n"
    "ZIP-Leser, Entpacker und XML-Leser sind\n"
    "Tarviks eigener Programmcode.";

}  // namespace

Tfrminfo::Tfrminfo() : QWidget(nullptr, Qt::Window) {
  setObjectName("frminfo");
  setWindowTitle(QStringLiteral("Tarvik - Info"));
  setFont(WindowFont());
  const double s = WindowScale(font());
  resize(Scaled(427, s), Scaled(482, s));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::HighlightedText));
  setPalette(palette);
  setAutoFillBackground(true);

  auto* layout = new QVBoxLayout(this);
  Memo2 = new QLabel(QStringLiteral("Tarvik - 2.3- 02.03.2006\n"), this);
  Memo2->setObjectName("Memo2");
  QFont title = font();
  title.setBold(true);
  title.setPixelSize(Scaled(19, s));
  Memo2->setFont(title);
  Memo2->setAlignment(Qt::AlignCenter);
  QPalette red = Memo2->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  Memo2->setPalette(red);

  Memo1 = new QLabel(QString::fromUtf8(kInfoText), this);
  Memo1->setObjectName("Memo1");
  QFont bold = font();
  bold.setBold(true);
  Memo1->setFont(bold);
  Memo1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  Memo1->setWordWrap(true);

  // Neither block can be edited or selected.
  for (QLabel* block : {Memo2, Memo1}) block->setTextInteractionFlags(Qt::NoTextInteraction);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

  layout->addWidget(Memo2);
  layout->addWidget(Memo1, 1);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  RegisterWindow(this);
}

Tfrminfo::~Tfrminfo() { UnregisterWindow(this); }

QString FindHelpFile(const QString& fileName) {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QStringList places = {
      programFolder + "/" + fileName,
      QDir::cleanPath(programFolder + QStringLiteral("/" TARVIK_INSTALLED_HELP_DIR "/") + fileName),
      QStringLiteral(TARVIK_SOURCE_DIR "/resources/") + fileName};
  for (const QString& place : places)
    if (QFileInfo(place).isFile()) return place;
  return {};
}

THelpWindow::THelpWindow() : QWidget(nullptr, Qt::Window) {
  setObjectName("frmHilfe");
  setWindowTitle(QStringLiteral("Tarvik - Hilfe"));
  setFont(WindowFont());
  const double s = WindowScale(font());
  resize(Scaled(560, s), Scaled(520, s));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Browser = new QTextBrowser(this);
  Browser->setObjectName("Browser");
  Browser->setOpenExternalLinks(false);
  layout->addWidget(Browser);
}

bool THelpWindow::ShowContents(const QString& fileName) {
  const QString path = FindHelpFile(fileName);
  ShownFile = path;
  if (path.isEmpty()) {
    Browser->setPlainText(QStringLiteral("Die Hilfedatei %1 wurde nicht gefunden.").arg(fileName));
    show();
    raise();
    return false;
  }
  // The help files are HTML whatever their extension.
  Browser->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
  setWindowTitle(Browser->documentTitle().isEmpty() ? QStringLiteral("Tarvik - Hilfe") : Browser->documentTitle());
  show();
  raise();
  activateWindow();
  return true;
}

void THelpWindow::JumpId(const QString& topic) { Browser->scrollToAnchor(topic); }

}  // namespace tarvik::ui
