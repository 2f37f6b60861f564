#pragma once
// Showing a modeless companion window: centred on its owner the first time it
// appears, then brought to the front wherever the user left it.

#include <QRect>
#include <QWidget>

namespace tarvik::ui {

inline void ShowModeless(QWidget& window, const QWidget* owner) {
  if (!window.isVisible() && owner) {
    QRect area = window.frameGeometry();
    area.moveCenter(owner->frameGeometry().center());
    window.move(area.topLeft());
  }
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace tarvik::ui
