#include "ui/error.h"

#include "ui/modeless.h"
#include "ui/sprache.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvik::ui {

TfrmError::TfrmError(QWidget* owner) : QWidget(nullptr, Qt::Window), owner_(owner) {
  setObjectName("frmError");
  setWindowTitle(QStringLiteral("Fehlermeldung "));
  setFont(WindowFont());
  const double s = WindowScale(font());
  resize(Scaled(342, s), Scaled(383, s));

  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(2);
  auto label = [&](const char* name, const QString& text, bool indented) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    if (indented) l->setContentsMargins(Scaled(16, s), 0, 0, 0);
    layout->addWidget(l);
  };
  label("Label1", QStringLiteral("Folgende Datei(en)  konnten nicht bearbeitet werden.. Der Fehler"), false);
  label("Label3", QStringLiteral("trat beim entpacken der gezippten Office-Dateien auf."), false);
  layout->addSpacing(Scaled(6, s));
  label("Label2", QStringLiteral("Mögliche Ursachen sind:"), false);
  label("Label4", QStringLiteral("- Die Datei ist geöffnet."), true);
  label("Label5", QStringLiteral("- Die Datei ist Passwort geschützt."), true);
  label("Label6", QStringLiteral("- Die Datei ist beschädigt."), true);
  label("Label7", QStringLiteral("- es handelt sich um keine StarOffice/OpenOffice-Datei"), true);
  layout->addSpacing(Scaled(6, s));

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setAccessibleName(QStringLiteral("Fehlerliste"));
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(Memo1, 1);

  auto* buttons = new QHBoxLayout;
  Button2 = new QPushButton(QStringLiteral("Liste in Zwischenablage"), this);
  Button2->setObjectName("Button2");
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName("Button1");
  buttons->addWidget(Button2);
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  layout->addLayout(buttons);

  connect(Button2, &QPushButton::clicked, this, [this] {
    Memo1->selectAll();
    // Every line ends with CR LF, as in the result list's copy.
    QString text;
    if (LineCount() > 0)
      for (const QString& line : Memo1->toPlainText().split('\n')) text += line + QStringLiteral("\r\n");
    QApplication::clipboard()->setText(text);
  });
  connect(Button1, &QPushButton::clicked, this, &QWidget::hide);
  RegisterWindow(this);
}

TfrmError::~TfrmError() { UnregisterWindow(this); }

void TfrmError::ClearList() { Memo1->clear(); }

void TfrmError::AddDocument(const QString& path) { Memo1->appendPlainText(path); }

int TfrmError::LineCount() const {
  if (Memo1->document()->isEmpty()) return 0;
  return Memo1->document()->blockCount();
}

void TfrmError::ShowList() { ShowModeless(*this, owner_); }

}  // namespace tarvik::ui
