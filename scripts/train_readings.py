#!/usr/bin/env python3
"""Trains the reading model (res/polyphone-context.bin) from labelled sentences.

Plain Python 3, no packages: an averaged perceptron per polyphonic character over hashed
features of its context and of the lexicon words that cover it, plus features every
character shares (the table's first reading, agreement with the lexicon), which carry the
model to characters the training sentences never label. The features and the file format are
those of polyphone/context_model.cpp and polyphone/context_features.h, byte for byte.

Deterministic: the same inputs give the same file.

  train_readings.py --table res/polyphone-readings.txt --lexicon complete.json \
      --train lexset-train --dev lexset-dev --dev cpp-dev --out res/polyphone-context.bin
  (a data set is given by its path without .sent/.lb)
"""
import argparse
import array
import json
import random
import sys
import unicodedata

FNV_OFFSET = 0xCBF29CE484222325
FNV_PRIME = 0x100000001B3
MASK = (1 << 64) - 1
BEGIN, END = b"\x01", b"\x02"
CONTEXT = 3
MAX_WORD = 4
MAX_READINGS = 8
MARK = "\u2581"

# The n-gram keys: tag and the places of the tokens they name (3 is the character itself).
NGRAMS = [(b"z", ()), (b"a", (2,)), (b"b", (4,)), (b"c", (1,)), (b"d", (5,)), (b"e", (0,)),
          (b"f", (6,)), (b"g", (1, 2)), (b"h", (2, 4)), (b"i", (4, 5)), (b"j", (0, 1, 2)),
          (b"k", (4, 5, 6)), (b"l", (1, 2, 4)), (b"m", (2, 4, 5))]


def fnv(h, data):
    for b in data:
        h = ((h ^ b) * FNV_PRIME) & MASK
    return h


def slot(h, bits):
    """The weight a key hashes to: FNV-1a's last bytes barely reach its top bits, so the hash
    is mixed first (the finalizer of MurmurHash3)."""
    h ^= h >> 33
    h = (h * 0xFF51AFD7ED558CCD) & MASK
    h ^= h >> 33
    h = (h * 0xC4CEB9FE1A85EC53) & MASK
    h ^= h >> 33
    return h >> (64 - bits)


def token(ch):
    try:
        b = ch.encode("gbk")
    except UnicodeEncodeError:
        return b"?"
    if len(b) == 1:
        if b.isdigit():
            return b"0"
        if b.isalpha():
            return b"a"
    return b


# ---- the reading table and the lexicon ----------------------------------------------------

def load_table(path):
    table = {}
    with open(path, "rb") as f:
        for line in f.read().split(b"\n"):
            line = line.rstrip(b"\r")
            if not line or line.startswith(b"#"):
                continue
            ch = line[:2].decode("gbk")
            table[ch] = line[3:].decode("ascii").split()
    return table


MARKS = {"ā": "a1", "á": "a2", "ǎ": "a3", "à": "a4", "ē": "e1", "é": "e2", "ě": "e3",
         "è": "e4", "ī": "i1", "í": "i2", "ǐ": "i3", "ì": "i4", "ō": "o1", "ó": "o2",
         "ǒ": "o3", "ò": "o4", "ū": "u1", "ú": "u2", "ǔ": "u3", "ù": "u4", "ǖ": "v1",
         "ǘ": "v2", "ǚ": "v3", "ǜ": "v4", "ü": "v0", "ń": "n2", "ň": "n3", "ǹ": "n4",
         "ḿ": "m2"}


def tone_number(marked):
    tone, plain = "", ""
    for ch in unicodedata.normalize("NFC", marked):
        m = MARKS.get(ch)
        if m:
            plain += m[0]
            if m[1] != "0":
                tone = m[1]
        else:
            plain += ch
    if not plain.isascii() or not plain.isalpha() or not plain.islower():
        return None
    return plain + tone


def bucket(freq):
    """How common a word is, 0 (rare) to 9: a step per factor of ten."""
    import math
    if freq <= 0:
        return 0
    return max(0, min(9, 15 + math.floor(math.log10(freq))))


def load_lexicon(path, table):
    """Words of 2..MAX_WORD GBK characters with a polyphonic character read by one of its
    table readings: GBK bytes -> marks (reading index + 1 per character, 0 for none)."""
    if not path:
        return {}
    with open(path, encoding="utf-8") as f:
        complete = json.load(f)
    lexicon = {}
    for word, value in complete.items():
        if not 2 <= len(word) <= MAX_WORD:
            continue
        syllables = value[0].split(" ")
        if len(syllables) != len(word):
            continue
        try:
            raw = word.encode("gbk")
        except UnicodeEncodeError:
            continue
        if len(raw) != 2 * len(word):
            continue
        marks = ""
        for ch, s in zip(word, syllables):
            r = tone_number(s)
            readings = table.get(ch, [])
            if len(readings) >= 2 and r in readings[:MAX_READINGS]:
                marks += str(readings.index(r) + 1)
            else:
                marks += "0"
        if marks.strip("0"):
            lexicon.setdefault(raw, marks + str(bucket(value[1])))
    return dict(sorted(lexicon.items()))


# ---- labelled sentences ----------------------------------------------------------------

def normalize_label(label):
    label = label.strip().replace("u:", "v")
    return label[:-1] if label.endswith("5") else label


def load_set(stem):
    with open(stem + ".sent", encoding="utf-8") as f:
        sents = f.read().split("\n")
    with open(stem + ".lb", encoding="utf-8") as f:
        labels = f.read().split("\n")
    out = []
    for sent, label in zip(sents, labels):
        if not sent or MARK not in sent:
            continue
        at = sent.index(MARK)
        clean = sent.replace(MARK, "")
        out.append((clean, at, normalize_label(label)))
    return out


# ---- features ------------------------------------------------------------------------------

def context_tokens(tokens, i):
    return [BEGIN if k < 0 else END if k >= len(tokens) else tokens[k]
            for k in range(i - CONTEXT, i + CONTEXT + 1)]


def candidate_keys(tokens, i, readings, lexicon):
    """Per candidate reading, its features (the C++ Score, key for key): the hash of a key and
    the candidate's index, whose weight is that many places after the key's slot (so that the
    weights of one key lie side by side), or 0 for a key of that one candidate."""
    count = min(len(readings), MAX_READINGS)
    ctx = context_tokens(tokens, i)
    keys = [[] for _ in range(count)]
    self_h = fnv(FNV_OFFSET, tokens[i])
    for tag, parts in NGRAMS:
        h = fnv(self_h, tag)
        for p in parts:
            h = fnv(h, ctx[p])
        for r in range(count):
            keys[r].append((h, r))
    keys[0].append((fnv(FNV_OFFSET, b"#0"), 0))
    if lexicon:
        lexicon_keys(ctx, count, lexicon, self_h, keys)
    return keys


def lexicon_keys(ctx, count, lexicon, self_h, keys):
    words = covering_words(ctx, count, lexicon)
    for length in range(2, MAX_WORD + 1):
        tag = b"y" + str(length).encode()
        for r in sorted({r for l, r, _ in words if l == length}):
            keys[r].append((fnv(self_h, tag), r))
            keys[r].append((fnv(FNV_OFFSET, b"#" + tag), 0))
    if words:
        longest = max(l for l, _, _ in words)
        r = next(r for l, r, _ in words if l == longest)
        keys[r].append((fnv(self_h, b"w"), r))
        keys[r].append((fnv(FNV_OFFSET, b"#w" + str(longest).encode()), 0))
    # How common the most common word giving each reading is: a reading that only rare words
    # (names, terms) give is weaker evidence than one of an everyday word.
    for r in sorted({r for _, r, _ in words}):
        tag = b"v" + str(max(b for _, rr, b in words if rr == r)).encode()
        keys[r].append((fnv(self_h, tag), r))
        keys[r].append((fnv(FNV_OFFSET, b"#" + tag), 0))


def covering_words(ctx, count, lexicon):
    """(length, reading, bucket) of every lexicon word that covers ctx[3], shortest first,
    leftmost first."""
    out = []
    for length in range(2, MAX_WORD + 1):
        for first in range(3 - (length - 1), 4):
            window = ctx[first:first + length]
            if any(len(t) != 2 for t in window):
                continue
            marks = lexicon.get(b"".join(window))
            if marks is None:
                continue
            r = int(marks[3 - first]) - 1
            if 0 <= r < count:
                out.append((length, r, int(marks[-1])))
    return out


def lexicon_reading(ctx, count, lexicon):
    """The reading of a character no sentence labelled: what the longest lexicon word that
    covers it gives (of several, the most common, then the leftmost); None without one."""
    words = covering_words(ctx, count, lexicon)
    if not words:
        return None
    top = words[0]
    for w in words[1:]:
        if (w[0], w[2]) > (top[0], top[2]):
            top = w
    return top[1]


class Example:
    __slots__ = ("char", "gold", "readings", "feats", "rule")


def examples(data, table, lexicon, bits, trained=None):
    """The examples of the polyphonic characters, and the other labels: (count, right), right
    when the table's only reading is the label."""
    out, others, others_right = [], 0, 0
    for sent, at, label in data:
        ch = sent[at]
        readings = table.get(ch, [])
        if len(readings) < 2 or label not in readings[:MAX_READINGS]:
            others += 1
            others_right += readings == [label]
            continue
        tokens = [token(c) for c in sent]
        e = Example()
        e.char, e.gold, e.readings = ch, readings.index(label), readings
        e.feats, e.rule = None, None
        if trained is not None and ch not in trained:
            count = min(len(readings), MAX_READINGS)
            e.rule = lexicon_reading(context_tokens(tokens, at), count, lexicon)
        else:
            keys = candidate_keys(tokens, at, readings, lexicon)
            mask = (1 << bits) - 1
            e.feats = [[(slot(h, bits) + r) & mask for h, r in ks] for ks in keys]
        out.append(e)
    return out, (others, others_right)


# ---- the averaged perceptron -------------------------------------------------------------

def predict(weights, e):
    if e.feats is None:
        return 0 if e.rule is None else e.rule
    return best(weights, e.feats)[0]


def best(weights, feats):
    scores = [sum(weights[f] for f in fs) for fs in feats]
    top = 0
    for r in range(1, len(scores)):
        if scores[r] > scores[top]:
            top = r
    return top, scores


def train(exs, bits, epochs, seed):
    size = 1 << bits
    w = array.array("d", bytes(8 * size))
    u = array.array("d", bytes(8 * size))
    order = list(range(len(exs)))
    rng = random.Random(seed)
    c = 1
    for _ in range(epochs):
        rng.shuffle(order)
        for n in order:
            e = exs[n]
            pred, _ = best(w, e.feats)
            if pred != e.gold:
                for f in e.feats[e.gold]:
                    w[f] += 1
                    u[f] += c
                for f in e.feats[pred]:
                    w[f] -= 1
                    u[f] -= c
            c += 1
    return array.array("d", (w[i] - u[i] / c for i in range(size)))


def quantize(avg):
    peak = max(max(avg), -min(avg), 1e-9)
    scale = min(1024.0, 32767.0 / peak)
    q = array.array("h", (max(-32767, min(32767, round(v * scale))) for v in avg))
    return q, scale


def accuracy(weights, exs, others):
    right = sum(1 for e in exs if predict(weights, e) == e.gold)
    return right + others[1], len(exs) + others[0]


def fit_temperature(weights, exs, scale):
    """The softmax temperature that gives the dev readings the highest likelihood."""
    import math
    best_t, best_ll = 1.0, None
    for t in [0.25, 0.5, 0.75, 1, 1.5, 2, 3, 4, 6, 8]:
        ll = 0.0
        for e in exs:
            _, scores = best(weights, e.feats)
            top = max(scores)
            z = sum(math.exp((s - top) * t / scale) for s in scores)
            ll += (scores[e.gold] - top) * t / scale - math.log(z)
        if best_ll is None or ll > best_ll:
            best_t, best_ll = t, ll
    return best_t


def rule_precision(exs):
    """How often the lexicon's reading is right, and the first reading where no word
    covers the character: the confidences of the two cases."""
    out = []
    for found in (True, False):
        sub = [e for e in exs if (e.rule is not None) == found]
        right = sum(1 for e in sub if (e.rule or 0) == e.gold)
        out.append(round(right / len(sub), 2) if sub else 0.5)
    return out


def write_model(path, bits, scale, temperature, backoff, lexicon, trained, q):
    if sys.byteorder != "little":
        q.byteswap()
    with open(path, "wb") as f:
        f.write(b"MKED-READINGS 1\n")
        f.write(b"bits %d\n" % bits)
        f.write(("scale %r\n" % scale).encode())
        f.write(("temperature %r\n" % temperature).encode())
        f.write(("backoff %r %r\n" % tuple(backoff)).encode())
        f.write(b"trained %d\n" % len(trained))
        f.write("".join(trained).encode("gbk") + b"\n")
        f.write(b"words %d\n" % len(lexicon))
        for word, marks in lexicon.items():
            f.write(word + b" " + marks.encode() + b"\n")
        f.write(b"weights\n")
        f.write(q.tobytes())


def worst_chars(weights, exs, n=20):
    errors, totals = {}, {}
    for e in exs:
        totals[e.char] = totals.get(e.char, 0) + 1
        if predict(weights, e) != e.gold:
            errors[e.char] = errors.get(e.char, 0) + 1
    ranked = sorted(errors.items(), key=lambda kv: (-kv[1], kv[0]))[:n]
    return [(ch, k, totals[ch]) for ch, k in ranked]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--table", required=True)
    ap.add_argument("--lexicon", default="")
    ap.add_argument("--train", required=True)
    ap.add_argument("--dev", action="append", default=[])
    ap.add_argument("--out", required=True)
    ap.add_argument("--bits", type=int, default=20)
    ap.add_argument("--epochs", type=int, default=8)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--limit", type=int, default=0, help="train on the first N sentences")
    ap.add_argument("--predict", default="", help="a set whose predicted readings to write")
    ap.add_argument("--predict-out", default="", help="where: one 'char reading' a line")
    ap.add_argument("--worst", action="store_true")
    args = ap.parse_args()

    table = load_table(args.table)
    lexicon = load_lexicon(args.lexicon, table)
    train_data = load_set(args.train)
    if args.limit:
        train_data = train_data[:args.limit]
    train_ex, train_unknown = examples(train_data, table, lexicon, args.bits)
    trained = sorted({e.char for e in train_ex}, key=lambda ch: ch.encode("gbk"))
    # The characters the sentences label are scored by the model; the others are read by the
    # lexicon (the sentences label 300 of each character in proportions that are not those
    # of running text, so what is learnt across characters does not carry to the others).
    q, scale = quantize(train(train_ex, args.bits, args.epochs, args.seed))
    dev_sets = [(stem, *examples(load_set(stem), table, lexicon, args.bits, set(trained)))
                for stem in args.dev]
    tune = [e for _, exs, _ in dev_sets for e in exs if e.feats] or train_ex
    temperature = fit_temperature(q, tune, scale)
    looked_up = [e for _, exs, _ in dev_sets for e in exs if not e.feats]
    backoff = rule_precision(looked_up)
    write_model(args.out, args.bits, scale, temperature, backoff, lexicon, trained, q)

    def report(name, exs, others):
        right, total = accuracy(q, exs, others)
        print("%s: %d/%d = %.2f %% (%d labels of a character the table reads one way or not"
              " this way)" % (name, right, total, 100.0 * right / max(total, 1), others[0]))
    report("train", train_ex, train_unknown)
    for stem, exs, unknown in dev_sets:
        report(stem.rsplit("/", 1)[-1], exs, unknown)
        report("  trained characters", [e for e in exs if e.feats], (0, 0))
        report("  other characters", [e for e in exs if not e.feats], (0, 0))
        if args.worst:
            for ch, k, total in worst_chars(q, exs):
                print("  %s %d/%d wrong" % (ch, k, total))
    print("lexicon words: %d, temperature %r, scale %r, backoff %r"
          % (len(lexicon), temperature, scale, backoff))
    if args.predict:
        exs, _ = examples(load_set(args.predict), table, lexicon, args.bits, set(trained))
        with open(args.predict_out, "w", encoding="utf-8") as f:
            for e in exs:
                f.write("%s %s\n" % (e.char, e.readings[predict(q, e)]))


if __name__ == "__main__":
    main()
