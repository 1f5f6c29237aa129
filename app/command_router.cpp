#include "app/command_router.h"

namespace qdm::ui {

CommandHandler& CommandTarget::On(int id, std::function<void()> run) {
    CommandHandler& h = m_handlers[id];
    h.run = std::move(run);
    return h;
}

const CommandHandler* CommandTarget::Find(int id) const {
    auto it = m_handlers.find(id);
    return it == m_handlers.end() ? nullptr : &it->second;
}

const CommandHandler* CommandRouter::Route(int id) const {
    for (const CommandTarget* t : m_chain)
        if (const CommandHandler* h = t->Find(id)) return h;
    return nullptr;
}

bool CommandRouter::IsEnabled(int id) const {
    const CommandHandler* h = Route(id);
    return h && (!h->enabled || h->enabled());
}

bool CommandRouter::IsCheckable(int id) const {
    const CommandHandler* h = Route(id);
    return h && h->checked;
}

bool CommandRouter::IsChecked(int id) const {
    const CommandHandler* h = Route(id);
    return h && h->checked && h->checked();
}

bool CommandRouter::Run(int id) const {
    const CommandHandler* h = Route(id);
    if (!h) return false;
    if (h->enabled && !h->enabled()) {
        if (h->explain) h->explain();
        return false;
    }
    h->run();
    return true;
}

}  // namespace qdm::ui
