#pragma once
// Where cut text goes. The editor plugs in the system clipboard; elsewhere it stays in memory.
#include <string>
#include <string_view>

namespace qdm {

class IClipboard {
  public:
    virtual ~IClipboard() = default;
    virtual void SetText(std::string_view gbk) = 0;
    virtual std::string Text() const = 0;
};

class MemoryClipboard : public IClipboard {
  public:
    void SetText(std::string_view gbk) override { m_text.assign(gbk); }
    std::string Text() const override { return m_text; }

  private:
    std::string m_text;
};

}  // namespace qdm
