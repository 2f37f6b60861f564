#include "ui/vorschau.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

#include "platform/code_page.h"
#include "platform/scratch_folder.h"
#include "search/preview_text.h"
#include "search/settings.h"
#include "ui/error.h"
#include "ui/modeless.h"
#include "ui/sprache.h"

namespace tarvik::ui {

TfrmVorschau::TfrmVorschau(QWidget* owner, TfrmError* errors)
    : QWidget(nullptr, Qt::Window), owner_(owner), errors_(errors) {
  setObjectName("frmVorschau");
  setWindowTitle(QStringLiteral("Tarvik 2.3 - Textvorschau"));
  setFont(WindowFont());
  const double s = WindowScale(font());
  resize(Scaled(513, s), Scaled(527, s));

  auto* layout = new QVBoxLayout(this);
  Label1 = new QLabel(QStringLiteral("Dateiname:"), this);
  Label1->setObjectName("Label1");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setEnabled(false);
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName("Edit2");
  Edit2->hide();
  Label1->setBuddy(Edit1);
  MmoSource = new QPlainTextEdit(this);
  MmoSource->setObjectName("MmoSource");
  MmoSource->setLineWrapMode(QPlainTextEdit::NoWrap);
  MmoSource->hide();
  Label2 = new QLabel(
      QStringLiteral(
          "Der Inhalt wird inklusiver aller  zusätzlichen Objekte angezeigt. Z.B. Buttons, Felder, Rahmen etc."),
      this);
  Label2->setObjectName("Label2");
  Label2->setWordWrap(true);
  MmoContents = new QPlainTextEdit(this);
  MmoContents->setObjectName("MmoContents");
  MmoContents->setReadOnly(true);
  // A vertical scroll bar only: long lines wrap.
  MmoContents->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  MmoContents->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MmoContents->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  MmoContents->setAccessibleName(QStringLiteral("Textvorschau"));
  MmoContents->setProperty(kCharsetProperty, kDefaultCharset);
  Button1 = new QPushButton(QStringLiteral("Schliessen"), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addWidget(Edit2);
  layout->addWidget(MmoSource);
  layout->addWidget(Label2);
  layout->addWidget(MmoContents, 1);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  RegisterWindow(this);
}

TfrmVorschau::~TfrmVorschau() { UnregisterWindow(this); }

void TfrmVorschau::ShowPreview() {
  // Unpacking lets events run: a second request meanwhile only raises.
  const bool unpacked = isVisible() || building_ || BuildPreview();
  ShowModeless(*this, owner_);
  if (!unpacked && errors_) {
    errors_->AddDocument(Edit1->text());
    errors_->ShowList();
  }
}

bool TfrmVorschau::BuildPreview() {
  building_ = true;
  ApplyCharsetFromOptions();
  TPreviewText preview;
  try {
    preview = BuildPreviewText(Edit1->text().toStdString(), ScratchFolder(),
                               QCoreApplication::applicationDirPath().toStdString());
  } catch (const std::exception&) {
    // Out of memory on a huge document: an empty preview, without a message.
    preview = TPreviewText();
  }
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(preview.shown.size()));
  for (const std::string& line : preview.shown) lines << Displayed(line);
  const QString text = lines.join('\n');
  MmoSource->setPlainText(text);
  MmoContents->setPlainText(text);
  building_ = false;
  return !preview.unpackFailure;
}

// The window stands for a rich-text box whose font has a Windows character
// set; Qt fonts have none. Character set 162 (Turkish) made the box show the
// same bytes in the Turkish code page, so the text, which is Windows-1252,
// is read as Windows-1254 for display then. The number itself is kept on
// MmoContents as the property "Charset". Like the font setting it stands
// for, it is never undone while the program runs.
void TfrmVorschau::ApplyCharsetFromOptions() {
  try {
    if (ReadOptionSecondLine(".") == kTurkishCharsetLine) MmoContents->setProperty(kCharsetProperty, kTurkishCharset);
  } catch (const std::exception&) {
    // An unreadable tarvik.ini leaves the character set as it is.
  }
}

QString TfrmVorschau::Displayed(const std::string& ansi) const {
  const bool turkish = MmoContents->property(kCharsetProperty).toInt() == kTurkishCharset;
  return QString::fromStdString(turkish ? TurkishAnsiToUtf8(ansi) : AnsiToUtf8(ansi));
}

const std::string& TfrmVorschau::ScratchFolder() {
  // "temp" in the start-up folder, or a private folder where that cannot be written.
  if (!scratch_ || scratchFor_ != Edit2->text()) {
    scratch_.reset();
    scratch_ = std::make_unique<TScratchFolder>(Edit2->text().toStdString());
    scratchFor_ = Edit2->text();
  }
  return scratch_->Path();
}

}  // namespace tarvik::ui
