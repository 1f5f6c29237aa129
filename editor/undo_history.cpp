#include "editor/undo_history.h"

namespace qdm {

void UndoHistory::Record(UndoKind kind, int32_t position, std::string removed, std::string inserted,
                         uint64_t generation, uint64_t before) {
    m_redo.clear();
    if (kind == kDeleteForward && !Empty()) {
        UndoRecord& newest = m_slots[m_head];
        if (newest.kind == kDeleteForward && newest.position == position) {
            newest.removed += removed;
            return;
        }
    }
    Restore(
        UndoRecord{kind, position, std::move(removed), std::move(inserted), generation, before});
}

void UndoHistory::Restore(UndoRecord record) {
    m_head = (m_head + 1) % kSlots;
    if (m_head == m_tail) m_tail = (m_tail + 1) % kSlots;
    m_slots[m_head] = std::move(record);
}

UndoRecord UndoHistory::TakeNewest() {
    UndoRecord record = std::move(m_slots[m_head]);
    PopNewest();
    return record;
}

RedoStep UndoHistory::TakeRedo() {
    RedoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    return step;
}

void UndoHistory::ReleaseBytes() {
    auto release = [](UndoRecord& r) {
        std::string().swap(r.removed);
        std::string().swap(r.inserted);
    };
    for (UndoRecord& r : m_slots) release(r);
    for (RedoStep& step : m_redo)
        for (UndoRecord& r : step.records) release(r);
}

void UndoHistory::PopNewest() {
    if (Empty()) return;
    m_slots[m_head] = UndoRecord{};
    m_head = (m_head - 1 + kSlots) % kSlots;
}

}  // namespace qdm
