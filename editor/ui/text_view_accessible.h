#pragma once
// What assistive technology reads of a TextView: its text, caret and selection in characters
// (one per unit, as the view shows them), and the rectangles of the characters on screen; and
// what it is told: each change of the text and each move of the caret, in characters.
#include <QString>

class QAccessibleEvent;
class QObject;

namespace qdm::ui {

// Registers the accessible face of every TextView; later calls do nothing.
void InstallTextViewAccessibility();

// Whether anyone hears the events, so they are built only then.
bool AccessibilityListens();
// Characters [at, at + removed) of `view` became `inserted` (line breaks as '\n'). The removed
// characters go as spaces of their number, as Qt's own text widgets tell them: the view keeps
// no copy of the old text.
void TellTextReplaced(QObject* view, int at, int removed, const QString& inserted);
void TellCaretMoved(QObject* view, int at);

// Where the events go instead of to assistive technology (nullptr: back to it); for tests,
// since Qt drops every event while no assistive technology is active.
using AccessibilitySink = void (*)(QAccessibleEvent* event);
void SetAccessibilitySink(AccessibilitySink sink);

}  // namespace qdm::ui
