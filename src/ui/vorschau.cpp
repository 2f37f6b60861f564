#include "ui/vorschau.h"

#include "ui/error.h"
#include "ui/modeless.h"
#include "ui/sprache.h"

#include "app/settings.h"

#include "search/preview_text.h"

#include "platform/code_page.h"
#include "platform/scratch_folder.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace tarvik::ui {
namespace {

QColor HitColor() { return QColor(255, 236, 128); }       // every hit
QColor CurrentHitColor() { return QColor(255, 165, 0); }  // the one moved to

}  // namespace

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
  lbTreffer = new QLabel(this);
  lbTreffer->setObjectName("lbTreffer");
  lbTreffer->hide();
  new QShortcut(QKeySequence(Qt::Key_F3), this, this, &TfrmVorschau::NextHit);
  new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this, this, &TfrmVorschau::PreviousHit);
  Button1 = new QPushButton(QStringLiteral("Schliessen"), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addWidget(Edit2);
  layout->addWidget(MmoSource);
  layout->addWidget(Label2);
  layout->addWidget(MmoContents, 1);
  layout->addWidget(lbTreffer);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  RegisterWindow(this);
}

TfrmVorschau::~TfrmVorschau() { UnregisterWindow(this); }

void TfrmVorschau::ShowPreview() {
  // Unpacking lets events run: a second request meanwhile only raises.
  const bool build = !isVisible() && !building_;
  const bool unpacked = !build || BuildPreview();
  ShowModeless(*this, owner_);
  // Scrolled once the text box has its size.
  if (build && !hits_.empty()) GoToHit(0);
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
  MarkHits(preview.shown);
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

// The lines are Windows-1252 and both display conversions turn each byte into
// one character of the Basic Multilingual Plane, so a byte offset in line i is
// the character offset in block i.
void TfrmVorschau::MarkHits(const std::vector<std::string>& lines) {
  hits_.clear();
  currentHit_ = -1;
  MmoContents->setExtraSelections({});
  lbTreffer->setVisible(finder_.has_value());
  if (!finder_) return;
  QTextDocument* document = MmoContents->document();
  document->setUndoRedoEnabled(false);
  QTextCharFormat marked;
  marked.setBackground(HitColor());
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  QTextBlock block = document->begin();
  for (std::size_t i = 0; i < lines.size() && block.isValid(); ++i, block = block.next()) {
    const int length = block.length() - 1;  // without the block's end
    for (const THit& hit : finder_->Hits(lines[i])) {
      const int begin = block.position() + std::min(static_cast<int>(hit.begin), length);
      const int end = block.position() + std::min(static_cast<int>(hit.end), length);
      if (begin == end) continue;
      cursor.setPosition(begin);
      cursor.setPosition(end, QTextCursor::KeepAnchor);
      cursor.mergeCharFormat(marked);
      hits_.emplace_back(begin, end);
    }
  }
  cursor.endEditBlock();
  lbTreffer->setText(hits_.empty() ? QStringLiteral("Kein Treffer im Vorschautext")
                                   : QStringLiteral("Treffer 0 von %1").arg(static_cast<int>(hits_.size())));
}

void TfrmVorschau::GoToHit(int index) {
  if (hits_.empty()) return;
  const int count = static_cast<int>(hits_.size());
  currentHit_ = (index % count + count) % count;
  const auto [begin, end] = hits_[static_cast<std::size_t>(currentHit_)];
  QTextEdit::ExtraSelection current;
  current.cursor = QTextCursor(MmoContents->document());
  current.cursor.setPosition(begin);
  current.cursor.setPosition(end, QTextCursor::KeepAnchor);
  current.format.setBackground(CurrentHitColor());
  MmoContents->setExtraSelections({current});
  QTextCursor at(MmoContents->document());
  at.setPosition(begin);
  MmoContents->setTextCursor(at);
  MmoContents->centerCursor();
  lbTreffer->setText(QStringLiteral("Treffer %1 von %2").arg(currentHit_ + 1).arg(count));
}

void TfrmVorschau::NextHit() { GoToHit(currentHit_ + 1); }
void TfrmVorschau::PreviousHit() { GoToHit(currentHit_ < 0 ? -1 : currentHit_ - 1); }

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
