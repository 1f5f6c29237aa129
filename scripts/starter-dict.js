// Generates the starter polyphone dictionary and the per-character reading table from the npm
// packages `pinyin` (per-character readings) and `@pinyin-pro/data` (word readings with
// frequencies). Run through scripts/build-starter-dict, which installs the pinned versions.
//
// Usage: node starter-dict.js NODE_MODULES_DIR OUT_DIR [COUNT]
'use strict';
const fs = require('fs');
const path = require('path');

const [modulesDir, outDir, countArg] = process.argv.slice(2);
if (!modulesDir || !outDir) {
    console.error('usage: node starter-dict.js NODE_MODULES_DIR OUT_DIR [COUNT]');
    process.exit(2);
}
const WANTED = Number(countArg || 6000);
const MAX_WORD_BYTES = 15;
const MAX_REPLACEMENT_BYTES = 20;

const pinyinModule = require(path.join(modulesDir, 'pinyin'));
const pinyin = pinyinModule.default || pinyinModule;
const complete = JSON.parse(
    fs.readFileSync(path.join(modulesDir, '@pinyin-pro/data/json/complete.json'), 'utf8'));

// ---- GBK: the two-byte codes, decoded once; a character maps back to its bytes -------------
const gbkOf = new Map();
{
    const decoder = new TextDecoder('gbk', {fatal: true});
    for (let lead = 0x81; lead <= 0xfe; ++lead) {
        for (let trail = 0x40; trail <= 0xfe; ++trail) {
            if (trail === 0x7f) continue;
            let ch;
            try {
                ch = decoder.decode(Uint8Array.of(lead, trail));
            } catch (e) {
                continue;
            }
            if ([...ch].length === 1 && !gbkOf.has(ch)) gbkOf.set(ch, Buffer.from([lead, trail]));
        }
    }
}
const isHan = (ch) => /^\p{Script=Han}$/u.test(ch) && gbkOf.has(ch);
const gbk = (text) => Buffer.concat([...text].map((ch) => gbkOf.get(ch) || Buffer.from(ch, 'latin1')));

// ---- readings: tone marks to tone numbers (neutral tone: no number; ü as v) ---------------
const MARKS = {
    'ā': ['a', 1], 'á': ['a', 2], 'ǎ': ['a', 3], 'à': ['a', 4],
    'ē': ['e', 1], 'é': ['e', 2], 'ě': ['e', 3], 'è': ['e', 4],
    'ī': ['i', 1], 'í': ['i', 2], 'ǐ': ['i', 3], 'ì': ['i', 4],
    'ō': ['o', 1], 'ó': ['o', 2], 'ǒ': ['o', 3], 'ò': ['o', 4],
    'ū': ['u', 1], 'ú': ['u', 2], 'ǔ': ['u', 3], 'ù': ['u', 4],
    'ǖ': ['v', 1], 'ǘ': ['v', 2], 'ǚ': ['v', 3], 'ǜ': ['v', 4], 'ü': ['v', 0],
    'ń': ['n', 2], 'ň': ['n', 3], 'ǹ': ['n', 4], 'ḿ': ['m', 2],
};
function toneNumber(marked) {
    let tone = 0, plain = '';
    for (const ch of marked.normalize('NFC')) {
        const m = MARKS[ch];
        if (m) {
            plain += m[0];
            if (m[1]) tone = m[1];
        } else {
            plain += ch;
        }
    }
    if (!/^[a-z]+$/.test(plain)) return null;
    return tone ? plain + tone : plain;
}
const neutral = (r) => !/[1-4]$/.test(r);

// Every reading the `pinyin` package knows for a character, in its order.
const allReadings = new Map();
for (const ch of gbkOf.keys()) {
    if (!/^\p{Script=Han}$/u.test(ch)) continue;
    const list = (pinyin(ch, {heteronym: true, style: pinyin.STYLE_TONE})[0] || [])
        .map(toneNumber).filter((r) => r);
    if (list.length && list[0] !== ch) allReadings.set(ch, [...new Set(list)]);
}

// Word readings: one syllable per character, or the word is left out.
const words = [];
for (const [word, value] of Object.entries(complete)) {
    const chars = [...word];
    const syllables = value[0].split(' ').map(toneNumber);
    if (syllables.length !== chars.length || syllables.some((s) => !s)) continue;
    words.push({word, chars, syllables, freq: value[1]});
}

// How common a character is (the frequency of the words it stands in) and which of its
// readings words actually use.
const weight = new Map(), used = new Map(), readingWeight = new Map();
for (const w of words) {
    w.chars.forEach((ch, i) => {
        weight.set(ch, (weight.get(ch) || 0) + w.freq);
        const r = w.syllables[i];
        if (!used.has(ch)) used.set(ch, new Set());
        used.get(ch).add(r);
        const key = ch + ' ' + r;
        readingWeight.set(key, (readingWeight.get(key) || 0) + w.freq);
    });
}

// The reading a speech engine is taken to give a character by default: its most frequent
// reading over all words (the character alone counts as a word).
function defaultReading(ch) {
    const known = allReadings.get(ch) || [];
    let best = known[0], bestWeight = -1;
    for (const r of known) {
        const wgt = readingWeight.get(ch + ' ' + r) || 0;
        if (wgt > bestWeight) best = r, bestWeight = wgt;
    }
    return best;
}

// The table's readings: the default first, then the other known readings that words
// use, most frequent first. Readings no word uses (rare, literary) are left out, so that the
// audit flags only characters whose readings really compete.
const tableReadings = new Map();
for (const [ch, known] of allReadings) {
    if (!gbkOf.has(ch)) continue;
    const first = defaultReading(ch);
    const others = known.filter((r) => r !== first && used.has(ch) && used.get(ch).has(r));
    others.sort((a, b) => (readingWeight.get(ch + ' ' + b) || 0) - (readingWeight.get(ch + ' ' + a) || 0));
    tableReadings.set(ch, [first, ...others]);
}
const polyphonic = (ch) => (tableReadings.get(ch) || []).length >= 2;

// The homophone for a reading: the most common character whose only reading, in everything the
// package knows, is exactly that reading; only the COMMON most common characters qualify.
const COMMON = 3500;
const COMMON_WORD_CHARS = 5000;
const homophone = new Map();
{
    const byCommonness = [...allReadings.keys()].filter(isHan)
        .sort((a, b) => (weight.get(b) || 0) - (weight.get(a) || 0) || (a < b ? -1 : 1));
    for (const ch of byCommonness.slice(0, COMMON)) {
        const known = allReadings.get(ch);
        if (known.length === 1 && !homophone.has(known[0])) homophone.set(known[0], ch);
    }
}

// ---- the entries -------------------------------------------------------------------------
// A word qualifies when one of its polyphonic characters is read, with a full tone, otherwise
// than on its own. Every polyphonic character with a full tone is then spelled by its homophone;
// a neutral-tone character keeps its spelling (no character is read in the neutral tone alone).
// Words of common characters only, each read by one of its known readings (tone changes in
// context, 一 yi4 and 不 bu2, and the neutral tone aside).
const commonChars = new Set([...weight.keys()].filter(isHan)
    .sort((a, b) => weight.get(b) - weight.get(a)).slice(0, COMMON_WORD_CHARS));
const base = (r) => r.replace(/[1-5]$/, '');
function consistent(w) {
    return w.chars.every((ch, i) => commonChars.has(ch) &&
        (tableReadings.get(ch) || []).some((r) => base(r) === base(w.syllables[i])));
}

function entryFor(w) {
    if (w.chars.length < 2 || !w.chars.every(isHan) || !consistent(w)) return null;
    let misread = false;
    const replaced = [];
    for (let i = 0; i < w.chars.length; ++i) {
        const ch = w.chars[i], r = w.syllables[i];
        if (!polyphonic(ch) || neutral(r) || !tableReadings.get(ch).includes(r)) {
            replaced.push(ch);
            continue;
        }
        const sub = homophone.get(r);
        if (r !== tableReadings.get(ch)[0]) {
            if (!sub) return null;  // the misread character has no unambiguous spelling
            misread = true;
        }
        replaced.push(sub || ch);
    }
    if (!misread) return null;
    const homo = replaced.join('');
    const spelled = w.syllables.join('');
    if (gbk(w.word).length > MAX_WORD_BYTES || gbk(homo).length > MAX_REPLACEMENT_BYTES ||
        spelled.length > MAX_REPLACEMENT_BYTES || homo.includes(w.word))
        return null;
    return {word: w.word, homo, spelled, freq: w.freq, length: w.chars.length};
}

// A word is safe to replace wherever it stands only when the longer words that contain it
// mostly read it the same way (行长 háng zhǎng, but 一行长 is not read so in 进行长期).
const candidates = new Map();
for (const w of words) {
    const e = entryFor(w);
    if (e) candidates.set(w.word, Object.assign(e, {syllables: w.syllables.join(' '), agree: w.freq, clash: 0}));
}
for (const w of words) {
    for (let from = 0; from < w.chars.length; ++from) {
        for (let to = from + 2; to <= Math.min(w.chars.length, from + 7); ++to) {
            if (from === 0 && to === w.chars.length) continue;
            const e = candidates.get(w.chars.slice(from, to).join(''));
            if (!e) continue;
            if (w.syllables.slice(from, to).join(' ') === e.syllables) e.agree += w.freq;
            else e.clash += w.freq;
        }
    }
}
// Left out after reading samples by hand (see res/README): a wrong reading in the data, a
// name read otherwise, or no word at all.
const REVIEWED_OUT = new Set([
    '正邪',          // data: zheng4 ye2; read xie2
    '扣划',          // data: hua2; read hua4 as in 划拨
    '斯堪的纳维亚',  // data: di2; read di4
    '郭振乾',        // a name, read qian2
    '令狐冲喝',      // no word: a name followed by a verb
    '新传',          // stands inside 重新传达 and the like, read chuan2 there
]);
const entries = [...candidates.values()].filter((e) => e.clash <= 0.1 * e.agree && !REVIEWED_OUT.has(e.word));
entries.sort((a, b) => b.freq - a.freq || (a.word < b.word ? -1 : 1));
const chosen = entries.slice(0, WANTED);
// The first entry to match wins: every longer word goes before the shorter words it holds.
chosen.sort((a, b) => b.length - a.length || b.freq - a.freq || (a.word < b.word ? -1 : 1));

const line = (word, replacement) => Buffer.concat([gbk(word), Buffer.from('======>>'), gbk(replacement), Buffer.from('\n')]);
fs.writeFileSync(path.join(outDir, 'polyphone-starter.ini'),
                 Buffer.concat(chosen.map((e) => line(e.word, e.homo))));
fs.writeFileSync(path.join(outDir, 'polyphone-starter-pinyin.ini'),
                 Buffer.concat(chosen.map((e) => line(e.word, e.spelled))));

// The reading table: one character per line, most common first, its default reading first.
const tableChars = [...tableReadings.keys()]
    .sort((a, b) => (weight.get(b) || 0) - (weight.get(a) || 0) || (a < b ? -1 : 1));
fs.writeFileSync(path.join(outDir, 'polyphone-readings.txt'), Buffer.concat(
    tableChars.map((ch) => Buffer.concat([gbk(ch), Buffer.from(' ' + tableReadings.get(ch).join(' ') + '\n')]))));

console.log(JSON.stringify({
    qualifying: entries.length,
    chosen: chosen.length,
    lowestFrequency: chosen.length ? Math.min(...chosen.map((e) => e.freq)) : 0,
    readingTable: tableChars.length,
    polyphonic: tableChars.filter(polyphonic).length,
    homophones: homophone.size,
}));
