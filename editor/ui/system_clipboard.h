#pragma once
// The desktop clipboard behind CEditBox::CutSelection. It holds Unicode text with LF line
// breaks, as other programs on the desktop expect.
#include "editor/clipboard.h"

namespace qdm::ui {

class SystemClipboard : public IClipboard {
  public:
    void SetText(std::string_view gbk) override;
    // The clipboard's text as GBK; empty when it holds none, or a character GBK cannot hold.
    std::string Text() const override;
};

}  // namespace qdm::ui
