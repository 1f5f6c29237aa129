#pragma once
// The user's choice, made in 多音字设置, whether 本文多音字处理 goes on after the dictionary
// and respells by context the polyphones it left that a speech engine would misread. Off
// until chosen; kept in the application's settings.
namespace qdm::ui {

bool PolyContextFixChosen();
void RememberPolyContextFix(bool on);

}  // namespace qdm::ui
