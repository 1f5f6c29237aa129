#pragma once
// What assistive technology reads of a TextView: its text, caret and selection in characters
// (one per unit, as the view shows them), and the rectangles of the characters on screen.
namespace qdm::ui {

// Registers the accessible face of every TextView; later calls do nothing.
void InstallTextViewAccessibility();

}  // namespace qdm::ui
