#pragma once
// Command routing: a command goes to the first target of the chain (view, frame, application)
// that has a handler for it. A command that no target handles is disabled, and so is one whose
// handler says it cannot run now.
#include <functional>
#include <map>
#include <vector>

namespace qdm::ui {

struct CommandHandler {
    std::function<void()> run;
    std::function<bool()> enabled;  // empty: always enabled
    std::function<bool()> checked;  // empty: the command has no check mark
    // Called when a key sends the command while it is disabled, to say why.
    std::function<void()> explain;
};

class CommandTarget {
  public:
    CommandHandler& On(int id, std::function<void()> run);
    const CommandHandler* Find(int id) const;

  private:
    std::map<int, CommandHandler> m_handlers;
};

class CommandRouter {
  public:
    void Append(const CommandTarget* target) { m_chain.push_back(target); }
    const CommandHandler* Route(int id) const;
    bool IsEnabled(int id) const;
    bool IsCheckable(int id) const;
    bool IsChecked(int id) const;
    // Runs the command when it is enabled; says why not when it has a reason to give.
    bool Run(int id) const;

  private:
    std::vector<const CommandTarget*> m_chain;
};

}  // namespace qdm::ui
