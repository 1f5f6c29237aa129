#pragma once
// The features of the reading model, byte for byte as scripts/train_readings.py computes
// them: the trained weights are only meaningful if both sides hash the same keys.
//
// A character's context is the tokens of its line: a GBK character is its two bytes, an
// ASCII digit is '0', an ASCII letter 'a', any other byte itself; beyond the line's ends stand
// kBegin and kEnd. A key is the FNV-1a hash of the target's bytes (or '#' for a feature
// every character shares), a tag byte and the tokens it names; the weight of candidate r for
// a key is r places after the key's slot, so that one key's weights share a cache line.
#include <cstdint>
#include <string_view>

namespace qdm::context {

inline constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ull;
inline constexpr uint64_t kFnvPrime = 0x100000001b3ull;
inline constexpr char kBegin = '\x01';
inline constexpr char kEnd = '\x02';
inline constexpr int kContext = 3;      // tokens looked at on each side
inline constexpr int kMaxWord = 4;      // longest lexicon word consulted, in characters
inline constexpr int kMaxReadings = 8;  // candidates scored per character

inline uint64_t Fnv(uint64_t h, std::string_view bytes) {
    for (unsigned char b : bytes) h = (h ^ b) * kFnvPrime;
    return h;
}
inline uint64_t Fnv(uint64_t h, char byte) {
    return (h ^ static_cast<unsigned char>(byte)) * kFnvPrime;
}

// The weight a key hashes to: FNV-1a's last bytes barely reach its top bits, so the hash is
// mixed first (the finalizer of MurmurHash3).
inline size_t Slot(uint64_t h, int bits) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return static_cast<size_t>(h >> (64 - bits));
}

// A token: up to two bytes.
struct Token {
    char bytes[2] = {kBegin, 0};
    uint8_t len = 1;
    std::string_view View() const { return {bytes, len}; }
};

// The token of the character `ch` (1 or 2 bytes of GBK).
inline Token MakeToken(std::string_view ch) {
    Token t;
    t.len = static_cast<uint8_t>(ch.size());
    t.bytes[0] = ch[0];
    if (ch.size() == 2) {
        t.bytes[1] = ch[1];
    } else if (ch[0] >= '0' && ch[0] <= '9') {
        t.bytes[0] = '0';
    } else if ((ch[0] >= 'a' && ch[0] <= 'z') || (ch[0] >= 'A' && ch[0] <= 'Z')) {
        t.bytes[0] = 'a';
    }
    return t;
}

inline Token Edge(char which) {
    Token t;
    t.bytes[0] = which;
    return t;
}

}  // namespace qdm::context
