#pragma once
// The bounded edit history: a ring of 30 slots that keeps at most 29 records.
#include <array>
#include <cstdint>
#include <string>

namespace qdm {

enum UndoKind : int32_t {
    kDeleteSelection = 1,
    kReplaceSelection = 2,
    kDeleteForward = 3,
    kDeleteBackward = 4,
    kTyping = 5,
};

struct UndoRecord {
    int32_t kind = -1;
    int32_t position = 0;
    std::string removed;
    std::string inserted;
    // Value of the owner's change generation when the record's edit was made; a record can
    // be replayed only while no unrecorded change came after it.
    uint64_t generation = 0;
    // The owner's text state before the edit: what undoing the record returns the text to.
    uint64_t before = 0;
};

class UndoHistory {
  public:
    static constexpr int32_t kSlots = 30;

    // Pushes a record, or merges a DeleteForward at the newest record's position into it.
    void Record(int32_t kind, int32_t position, std::string removed, std::string inserted,
                uint64_t generation, uint64_t before);

    int32_t Count() const { return (m_head - m_tail + kSlots) % kSlots; }
    bool Empty() const { return m_head == m_tail; }
    // i = 0 is the newest record; i < Count().
    const UndoRecord& Newest(int32_t i = 0) const {
        return m_slots[(m_head - i + kSlots) % kSlots];
    }
    void PopNewest();

    int32_t Head() const { return m_head; }
    int32_t Tail() const { return m_tail; }

  private:
    std::array<UndoRecord, kSlots> m_slots;
    int32_t m_head = 0;
    int32_t m_tail = 0;
};

}  // namespace qdm
