#include "editor/undo_history.h"

namespace qdm {

void UndoHistory::Record(int32_t kind, int32_t position, std::string removed, std::string inserted,
                         uint64_t generation, uint64_t before) {
    if (kind == kDeleteForward && !Empty()) {
        UndoRecord& newest = m_slots[m_head];
        if (newest.kind == kDeleteForward && newest.position == position) {
            newest.removed += removed;
            return;
        }
    }
    m_head = (m_head + 1) % kSlots;
    if (m_head == m_tail) m_tail = (m_tail + 1) % kSlots;
    m_slots[m_head] =
        UndoRecord{kind, position, std::move(removed), std::move(inserted), generation, before};
}

void UndoHistory::PopNewest() {
    if (Empty()) return;
    m_slots[m_head] = UndoRecord{};
    m_head = (m_head - 1 + kSlots) % kSlots;
}

}  // namespace qdm
