#include "polyphone/ui/poly_prompt.h"

#include <QMessageBox>
#include <QPushButton>

#include "uikit/qt_text.h"
#include "uikit/window_place.h"

namespace qdm::ui {

void ShowPolyMessage(QWidget* owner, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    PlaceOver(&box, owner);
    box.exec();
}

std::optional<PolyStyle> AskStarterStyle(QWidget* owner) {
    QMessageBox box(
        QMessageBox::Question, QLit("导入常用词"),
        QLit("常用词中的多音字用哪种写法替换？\n\n同音字: 银行 → 银航 (读起来仍是中文)\n"
             "拼音: 银行 → yin2hang2"),
        QMessageBox::NoButton, owner);
    QPushButton* homophone = box.addButton(QLit("同音字"), QMessageBox::AcceptRole);
    QPushButton* pinyin = box.addButton(QLit("拼音"), QMessageBox::AcceptRole);
    box.addButton(QLit("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(homophone);
    PlaceOver(&box, owner);
    box.exec();
    if (box.clickedButton() == homophone) return PolyStyle::Homophone;
    if (box.clickedButton() == pinyin) return PolyStyle::Pinyin;
    return std::nullopt;
}

bool AskPolyQuestion(QWidget* owner, const QString& text, const QString& caption,
                     const QString& yes, const QString& no) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
    QPushButton* accept = box.addButton(yes, QMessageBox::AcceptRole);
    box.setEscapeButton(box.addButton(no, QMessageBox::RejectRole));
    box.setDefaultButton(accept);
    PlaceOver(&box, owner);
    box.exec();
    return box.clickedButton() == accept;
}

}  // namespace qdm::ui
