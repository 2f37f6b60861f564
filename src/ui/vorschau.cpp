#include "ui/vorschau.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "ui/modeless.h"
#include "ui/sprache.h"

namespace tarvik::ui {

TfrmVorschau::TfrmVorschau(QWidget* owner) : QWidget(nullptr, Qt::Window), owner_(owner) {
  setObjectName("frmVorschau");
  setWindowTitle(QStringLiteral("Tarvik 2.3 - Textvorschau"));
  setFont(WindowFont());
  const double s = WindowScale(font());
  resize(std::lround(513 * s), std::lround(527 * s));

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
  Label2 = new QLabel(
      QStringLiteral(
          "Der Inhalt wird inklusiver aller  zusätzlichen Objekte angezeigt. Z.B. Buttons, Felder, Rahmen etc."),
      this);
  Label2->setObjectName("Label2");
  Label2->setWordWrap(true);
  MmoContents = new QPlainTextEdit(this);
  MmoContents->setObjectName("MmoContents");
  MmoContents->setReadOnly(true);
  MmoContents->setAccessibleName(QStringLiteral("Textvorschau"));
  Button1 = new QPushButton(QStringLiteral("Schliessen"), this);
  Button1->setObjectName("Button1");
  connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

  layout->addWidget(Label1);
  layout->addWidget(Edit1);
  layout->addWidget(Edit2);
  layout->addWidget(Label2);
  layout->addWidget(MmoContents, 1);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  RegisterWindow(this);
}

TfrmVorschau::~TfrmVorschau() { UnregisterWindow(this); }

void TfrmVorschau::ShowPreview() { ShowModeless(*this, owner_); }

}  // namespace tarvik::ui
