#pragma once
// Language switching: every component of the program's windows whose "Tag"
// property is nonzero takes entry base + Tag of the string table.
// Windows register themselves in creation order; the switch walks them so.

#include <QFont>
#include <QString>

class QObject;
class QWidget;

namespace tarvik::ui {

// The dynamic property that carries a component's string number.
inline constexpr const char* kTagProperty = "Tag";
// A button whose hint (tool tip) is shown takes its entry as its hint.
inline constexpr const char* kShowHintProperty = "ShowHint";
// A component whose hint is translated too carries the hint's number here.
inline constexpr const char* kHintTagProperty = "HintTag";

void SetTag(QObject* component, int tag);
int TagOf(const QObject* component);

// The program's windows in creation order: main, info, error, preview.
void RegisterWindow(QWidget* window);
void UnregisterWindow(QWidget* window);

// Sets the texts of every tagged component of every registered window from
// entries base + Tag (1000 German, 2000 English), and the hints of those with
// a HintTag from base + HintTag. Runs no click reaction.
void SwitchLanguage(int base);

// Text of a string table entry as a QString.
QString Entry(int base, int number);

// The windows' font: the desktop's sans-serif font at 8 points.
QFont WindowFont();
// How much the specified pixel geometry grows so that texts laid out for the
// original 8-point font fit the desktop font (never below 1).
double WindowScale(const QFont& font);
// A length of the specified pixel layout, grown by that scale.
int Scaled(double pixels, double scale);

}  // namespace tarvik::ui
