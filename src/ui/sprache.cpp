#include "ui/sprache.h"

#include "app/string_table.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tarvik::ui {
namespace {

std::vector<QWidget*>& Windows() {
  static std::vector<QWidget*> windows;
  return windows;
}

void Translate(QObject* component, const QString& text) {
  // Each kind is tested on its own, in this order.
  if (auto* label = qobject_cast<QLabel*>(component)) label->setText(text);
  if (auto* button = qobject_cast<QPushButton*>(component)) {
    if (button->property(kShowHintProperty).toBool()) button->setToolTip(text);
    else button->setText(text);
  }
  if (auto* check = qobject_cast<QCheckBox*>(component)) check->setText(text);
  if (auto* action = qobject_cast<QAction*>(component)) action->setText(text);
  if (auto* radio = qobject_cast<QRadioButton*>(component)) radio->setText(text);
  if (auto* group = qobject_cast<QGroupBox*>(component)) group->setTitle(text);
}

}  // namespace

void SetTag(QObject* component, int tag) { component->setProperty(kTagProperty, tag); }
int TagOf(const QObject* component) { return component->property(kTagProperty).toInt(); }

void RegisterWindow(QWidget* window) { Windows().push_back(window); }
void UnregisterWindow(QWidget* window) {
  auto& windows = Windows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

QString Entry(int base, int number) { return QString::fromStdString(LoadEntry(base, number)); }

void SwitchLanguage(int base) {
  for (QWidget* window : Windows()) {
    for (QObject* component : window->findChildren<QObject*>()) {
      const int hintTag = component->property(kHintTagProperty).toInt();
      if (auto* widget = qobject_cast<QWidget*>(component); widget && hintTag != 0) {
        const QString hint = Entry(base, hintTag);
        if (!hint.isEmpty()) widget->setToolTip(hint);
      }
      const int tag = TagOf(component);
      if (tag == 0) continue;
      const QString text = Entry(base, tag);
      // No tag in use lacks an entry; an unknown one keeps its built-in text.
      if (!text.isEmpty()) Translate(component, text);
    }
  }
}

QFont WindowFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8);
  return font;
}

double WindowScale(const QFont& font) {
  // The layout was drawn for a font 13 pixels high in which this caption, the
  // longest of a check box in a 217-pixel group, is about 165 pixels wide.
  const QFontMetricsF metrics(font);
  const double byHeight = metrics.height() / 13.0;
  const double byWidth = metrics.horizontalAdvance(QStringLiteral("Unterverzeichnisse einschliessen")) / 165.0;
  return std::max({1.0, byHeight, byWidth});
}

int Scaled(double pixels, double scale) { return static_cast<int>(std::lround(pixels * scale)); }

}  // namespace tarvik::ui
