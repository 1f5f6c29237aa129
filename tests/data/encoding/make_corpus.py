#!/usr/bin/env python3
"""Writes the encoding detection corpus: public-domain Chinese texts (classical poems and
prose, typed for this corpus) in every encoding the importer reads, with the encoding each file
must be detected as in expected.tsv. Traditional forms come from OpenCC's s2tw profile.

Run from this folder: python3 make_corpus.py  (needs libopencc for the traditional texts)."""
import ctypes
import os

TEXTS = {
    "jingyesi": "床前明月光，疑是地上霜。\n举头望明月，低头思故乡。\n",
    "chunxiao": "春眠不觉晓，处处闻啼鸟。\n夜来风雨声，花落知多少。\n",
    "guanque": "白日依山尽，黄河入海流。\n欲穷千里目，更上一层楼。\n",
    "qianziwen": (
        "天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。寒来暑往，秋收冬藏。\n"
        "闰余成岁，律吕调阳。云腾致雨，露结为霜。金生丽水，玉出昆冈。\n"
        "剑号巨阙，珠称夜光。果珍李柰，菜重芥姜。海咸河淡，鳞潜羽翔。\n"
        "龙师火帝，鸟官人皇。始制文字，乃服衣裳。推位让国，有虞陶唐。\n"
        "吊民伐罪，周发殷汤。坐朝问道，垂拱平章。爱育黎首，臣伏戎羌。\n"
        "遐迩一体，率宾归王。鸣凤在竹，白驹食场。化被草木，赖及万方。\n"
        "盖此身发，四大五常。恭惟鞠养，岂敢毁伤。女慕贞洁，男效才良。\n"
        "知过必改，得能莫忘。罔谈彼短，靡恃己长。信使可覆，器欲难量。\n"
        "墨悲丝染，诗赞羔羊。景行维贤，克念作圣。德建名立，形端表正。\n"
        "空谷传声，虚堂习听。祸因恶积，福缘善庆。尺璧非宝，寸阴是竞。\n"),
    "lunyu": (
        "子曰：“学而时习之，不亦说乎？有朋自远方来，不亦乐乎？人不知而不愠，不亦君子乎？”\n"
        "有子曰：“其为人也孝弟，而好犯上者，鲜矣；不好犯上，而好作乱者，未之有也。"
        "君子务本，本立而道生。孝弟也者，其为仁之本与！”\n"
        "子曰：“巧言令色，鲜矣仁！”\n"
        "曾子曰：“吾日三省吾身：为人谋而不忠乎？与朋友交而不信乎？传不习乎？”\n"),
    "daodejing": (
        "第一章\n道可道，非常道。名可名，非常名。无名天地之始；有名万物之母。\n"
        "故常无欲，以观其妙；常有欲，以观其徼。此两者，同出而异名，同谓之玄。玄之又玄，众妙之门。\n"),
    "chushibiao": (
        "先帝创业未半而中道崩殂，今天下三分，益州疲弊，此诚危急存亡之秋也。"
        "然侍卫之臣不懈于内，忠志之士忘身于外者，盖追先帝之殊遇，欲报之于陛下也。\n"
        "诚宜开张圣听，以光先帝遗德，恢弘志士之气，不宜妄自菲薄，引喻失义，以塞忠谏之路也。\n"),
    "taohuayuan": (
        "晋太元中，武陵人捕鱼为业。缘溪行，忘路之远近。忽逢桃花林，夹岸数百步，中无杂树，"
        "芳草鲜美，落英缤纷。渔人甚异之，复前行，欲穷其林。\n"
        "林尽水源，便得一山，山有小口，仿佛若有光。便舍船，从口入。初极狭，才通人。"
        "复行数十步，豁然开朗。土地平旷，屋舍俨然，有良田美池桑竹之属。阡陌交通，鸡犬相闻。\n"),
    "sanzijing": (
        "人之初，性本善。性相近，习相远。\n苟不教，性乃迁。教之道，贵以专。\n"
        "昔孟母，择邻处。子不学，断机杼。\n窦燕山，有义方。教五子，名俱扬。\n"),
    "xiyouji": (
        "第一回　灵根育孕源流出　心性修持大道生\n"
        "诗曰：混沌未分天地乱，茫茫渺渺无人见。自从盘古破鸿蒙，开辟从兹清浊辨。\n"),
    "honglou": (
        "此开卷第一回也。作者自云：因曾历过一番梦幻之后，故将真事隐去，"
        "而借“通灵”之说，撰此《石头记》一书也。\n"),
}

# Mostly ASCII, with a few Chinese words.
MOSTLY_ASCII = {
    "notes_en": "Reading list, spring term\r\n1. Li Bai, 静夜思 (Quiet Night Thought)\r\n"
                "2. Laozi, chapter 1\r\nBring the printed copies.\r\n",
    "readme_mixed": "README\n======\nThis folder holds the texts for the 春季 reading group.\n"
                    "Contact: reading@example.org\nVersion 2 (2019-03-01)\n" * 3,
}

# Characters outside GBK (an ideograph of extension B, one of extension A, an emoji) and
# rarer ones inside it.
RARE = "吉祥的“𠮷”字，古书里的“㐀”字，还有笑脸😀。镕、喆、堃这些字在 GBK 里。\n"


def opencc(text, profile):
    lib = ctypes.CDLL("libopencc.so.1.1")
    lib.opencc_open.restype = ctypes.c_void_p
    lib.opencc_convert_utf8.restype = ctypes.c_void_p
    lib.opencc_convert_utf8.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]
    od = lib.opencc_open(profile.encode())
    raw = text.encode()
    ptr = lib.opencc_convert_utf8(od, raw, len(raw))
    out = ctypes.string_at(ptr).decode()
    lib.opencc_convert_utf8_free(ctypes.c_void_p(ptr))
    return out


ROWS = []


def write(name, data, expected):
    with open(name, "wb") as f:
        f.write(data)
    ROWS.append((name, expected))


def every_encoding(stem, text, traditional):
    write(f"{stem}.gbk.txt", text.encode("gbk"), "gbk")
    write(f"{stem}.utf8.txt", text.encode("utf-8"), "utf-8")
    write(f"{stem}.utf8bom.txt", b"\xef\xbb\xbf" + text.encode("utf-8"), "utf-8")
    write(f"{stem}.utf16le.txt", b"\xff\xfe" + text.encode("utf-16-le"), "utf-16le")
    write(f"{stem}.utf16be.txt", b"\xfe\xff" + text.encode("utf-16-be"), "utf-16be")
    write(f"{stem}.big5.txt", traditional.encode("cp950"), "big5")
    write(f"{stem}.trad-gbk.txt", traditional.encode("gbk"), "gbk")
    write(f"{stem}.trad-utf8.txt", traditional.encode("utf-8"), "utf-8")


def main():
    for f in os.listdir("."):
        if f.endswith(".txt"):
            os.remove(f)
    for stem, text in TEXTS.items():
        trad = opencc(text, "s2tw.json")
        every_encoding(stem, text, trad)
        lines = text.splitlines(keepends=True)
        if stem in ("jingyesi", "lunyu", "sanzijing"):
            for n in (1, 2, 3):
                every_encoding(f"{stem}-{n}line", "".join(lines[:n]),
                               "".join(trad.splitlines(keepends=True)[:n]))
    for stem, text in MOSTLY_ASCII.items():
        write(f"{stem}.gbk.txt", text.encode("gbk"), "gbk")
        write(f"{stem}.utf8.txt", text.encode("utf-8"), "utf-8")
        write(f"{stem}.big5.txt", opencc(text, "s2tw.json").encode("cp950"), "big5")
    write("rare.utf8.txt", RARE.encode("utf-8"), "utf-8")
    write("rare.gb18030.txt", RARE.encode("gb18030"), "gb18030")
    write("rare.utf16le.txt", b"\xff\xfe" + RARE.encode("utf-16-le"), "utf-16le")
    write("rare-gbk-only.gbk.txt", "镕、喆、堃这些字在 GBK 里。\n".encode("gbk"), "gbk")
    write("euro.gb18030.txt", "价格：€100。\n".encode("gb18030"), "gbk")
    write("ascii.txt", b"Plain ASCII text, nothing else.\r\n", "gbk")
    # Short GBK words whose bytes are also valid UTF-8: they must stay GBK.
    for n, word in enumerate(["太", "水源", "时习之", "缘溪行", "有朋自远方来，不亦乐乎？"]):
        write(f"short-{n + 1}.gbk.txt", word.encode("gbk"), "gbk")
        write(f"short-{n + 1}.utf8.txt", word.encode("utf-8"), "utf-8")
    # Bytes valid in no encoding stay GBK.
    write("invalid-everywhere.txt", b"\xb0\xa1\xff\x80\xc0\xaf\n", "gbk")
    with open("expected.tsv", "w") as f:
        f.write("# file\texpected encoding\n")
        for name, enc in ROWS:
            f.write(f"{name}\t{enc}\n")


main()
