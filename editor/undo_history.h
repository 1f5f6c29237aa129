#pragma once
// The bounded edit history: a ring of 30 slots that keeps at most 29 records.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qdm {

enum UndoKind : int32_t {
    kNoRecord = -1,
    kDeleteSelection = 1,
    kReplaceSelection = 2,
    kDeleteForward = 3,
    kDeleteBackward = 4,
    kTyping = 5,
};

struct UndoRecord {
    UndoKind kind = kNoRecord;
    int32_t position = 0;
    std::string removed;
    std::string inserted;
    // Value of the owner's change generation when the record's edit was made; a record can
    // be replayed only while no unrecorded change came after it.
    uint64_t generation = 0;
    // The owner's text state before the edit: what undoing the record returns the text to.
    uint64_t before = 0;
};

// What one Undo took back, kept so that Redo can put it in again: the records it popped
// (oldest first; two for a markup insertion) and the change generation right after it.
struct RedoStep {
    std::vector<UndoRecord> records;
    uint64_t generation = 0;
    uint64_t after = 0;  // the owner's text state the redo returns to
    // The edit to make again: at the newest record's position, the bytes the Undo put back
    // give way to the bytes the newest record inserted.
    const UndoRecord& Newest() const { return records.back(); }
    const std::string& Expected() const { return records.front().removed; }
};

class UndoHistory {
  public:
    static constexpr int32_t kSlots = 30;

    // Pushes a record, or merges a DeleteForward at the newest record's position into it.
    // A new edit makes the undone ones meaningless: the redo list is cleared.
    void Record(UndoKind kind, int32_t position, std::string removed, std::string inserted,
                uint64_t generation, uint64_t before);

    int32_t Count() const { return (m_head - m_tail + kSlots) % kSlots; }
    bool Empty() const { return m_head == m_tail; }
    // i = 0 is the newest record; i < Count().
    const UndoRecord& Newest(int32_t i = 0) const {
        return m_slots[(m_head - i + kSlots) % kSlots];
    }
    void PopNewest();
    UndoRecord TakeNewest();
    // Pushes a record that was undone and is redone now: no merge, the redo list stays.
    void Restore(UndoRecord record);

    bool HasRedo() const { return !m_redo.empty(); }
    const RedoStep& NewestRedo() const { return m_redo.back(); }
    void PushRedo(RedoStep step) { m_redo.push_back(std::move(step)); }
    RedoStep TakeRedo();

    int32_t Tail() const { return m_tail; }

    // The owner's text changed in a way no record describes: no record or redo step can be
    // replayed any more (each is checked against the change generation first, and a newer
    // one never unblocks an older one), so their bytes, a whole book's perhaps, are freed.
    // The records themselves stay, for what the history says and refuses.
    void ReleaseBytes();

  private:
    std::array<UndoRecord, kSlots> m_slots;
    int32_t m_head = 0;
    int32_t m_tail = 0;
    std::vector<RedoStep> m_redo;  // newest last; at most one per record the ring held
};

}  // namespace qdm
