#pragma once
// The walk behind the whole-text checks, shared by the check that stops at the first fault
// and the one that reports every part of a book.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "markup/scan.h"

namespace qdm::walk {

// Tag strings in text order, read once. Every query position is at or after the previous
// one, so tags before it can be dropped; tags read ahead while looking for an end string wait
// in queues until the walk reaches them. One stream may serve several walks over later and
// later ranges, which keeps a book with many faults linear.
class TagStream {
  public:
    explicit TagStream(std::string_view text) : m_text(text) {}

    struct Begin {
        size_t pos;
        int32_t kind;
    };

    // The first begin string of any kind starting at or after q.
    bool NextBegin(size_t q, Begin& out);
    // The first end string of `kind` starting at or after q, or npos.
    size_t NextEnd(int32_t kind, size_t q);

  private:
    bool Advance(size_t q);

    std::string_view m_text;
    size_t m_cursor = 0;
    std::deque<Begin> m_begins;
    std::array<std::deque<size_t>, 5> m_ends;
};

struct Fault {
    int32_t pos = -1;  // -1: the range is sound
    // Just past the end string of the top-level section whose content holds the fault;
    // npos when the fault lies in no section.
    size_t sectionEnd = scan::npos;
};

// The first fault of [from, text end) checked as a whole text of its own; its message is
// appended to `message`. Positions are offsets in the whole text.
Fault FirstFault(TagStream& tags, size_t from, size_t to, std::string& message);

}  // namespace qdm::walk
