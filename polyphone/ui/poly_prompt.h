#pragma once
// The one way the polyphone dialogs and commands speak to the user outside their own
// controls: an OK box without icon, owned by a widget. Injected so that tests answer it
// without a modal loop.
#include <QString>
#include <functional>
#include <optional>

#include "polyphone/poly_res.h"

class QWidget;

namespace qdm::ui {

using PolyMessageBox =
    std::function<void(QWidget* owner, const QString& text, const QString& caption)>;

// A real modal box with an OK button and no icon.
void ShowPolyMessage(QWidget* owner, const QString& text, const QString& caption);

// `box` when set, the real box otherwise.
inline PolyMessageBox OrRealBox(PolyMessageBox box) {
    return box ? std::move(box) : PolyMessageBox(&ShowPolyMessage);
}

// "导入常用词…" asks which style to import: 同音字, 拼音, or nothing when cancelled.
using PolyStyleChooser = std::function<std::optional<PolyStyle>(QWidget* owner)>;

// A real modal question with the buttons 同音字, 拼音 and 取消.
std::optional<PolyStyle> AskStarterStyle(QWidget* owner);

// A yes-or-no question: true for `yes`; `no`, Escape and the close box give false.
using PolyQuestion = std::function<bool(QWidget* owner, const QString& text, const QString& caption,
                                        const QString& yes, const QString& no)>;
bool AskPolyQuestion(QWidget* owner, const QString& text, const QString& caption,
                     const QString& yes, const QString& no);

}  // namespace qdm::ui
