// Books in other encodings: the encoding dialog on Open, the command line, the recent files and
// "重新按编码打开…"; GBK books exactly as before.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/recent_files.h"
#include "app/view.h"
#include "editor/edit_box.h"
#include "editor/encoding_convert.h"
#include "harness.h"

namespace {

using namespace qdm::ui;
using namespace guitest;

// 春眠不觉晓 + 😀, then 处处闻啼鸟, LF line breaks, in UTF-8.
const std::string kUtf8 =
    "\xE6\x98\xA5\xE7\x9C\xA0\xE4\xB8\x8D\xE8\xA7\x89\xE6\x99\x93\xF0\x9F\x98\x80\n"
    "\xE5\xA4\x84\xE5\xA4\x84\xE9\x97\xBB\xE5\x95\xBC\xE9\xB8\x9F\n";

void SelectEncoding(EncodingDialog& dialog, qdm::Encoding encoding) {
    QComboBox& box = dialog.EncodingBox();
    box.setCurrentIndex(box.findData(static_cast<int>(encoding)));
}

TEST(EncodingOnOpen, AUtf8BookIsConvertedOnceTheDialogIsConfirmed) {
    Editor ed;
    const QString path = ed.Path("spring.txt");
    WriteFile(path, kUtf8);
    QString unmappable, preview;
    QStringList listed;
    ed.encoding.answer = [&](EncodingDialog& dialog) {
        unmappable = dialog.UnmappableText();
        preview = dialog.PreviewText();
        listed = dialog.ListedCharacters();
        return true;
    };
    ed.files.answers = {path};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ASSERT_EQ(ed.encoding.requests.size(), 1u);
    EXPECT_EQ(ed.encoding.requests[0].detected, qdm::Encoding::Utf8);
    EXPECT_EQ(ed.encoding.requests[0].caption, QStringLiteral("文件编码转换"));
    EXPECT_EQ(unmappable, QStringLiteral("GBK 无法表示的字符：1 个"));
    EXPECT_EQ(listed, QStringList{QStringLiteral("😀  U+1F600  第 1 行 第 6 列")});
    EXPECT_EQ(preview, QStringLiteral("春眠不觉晓?\n处处闻啼鸟\n"));

    EXPECT_EQ(ed.model().Text(), G("春眠不觉晓?\r\n处处闻啼鸟\r\n"));
    EXPECT_EQ(ed.Shown(), ed.ModelShown());
    EXPECT_EQ(ed.frame().windowTitle(), QStringLiteral("spring.txt"));
    EXPECT_EQ(ed.Status(), QStringLiteral("已从 UTF-8 转换为 GBK，替换 1 个字符"));
    EXPECT_EQ(ReadFile(path), kUtf8);  // the source is never written by the conversion
    EXPECT_TRUE(ed.prompter.boxes.empty());

    ASSERT_TRUE(ed.Run(ID_FILE_SAVE));  // saved as GBK beside it, as for any text
    EXPECT_EQ(ReadFile(ed.Path("spring.qdm")), ed.model().Text());
}

TEST(EncodingOnOpen, CancellingChangesNothing) {
    Editor ed;
    const std::string before = ed.model().Text().data();
    const QString caption = ed.frame().windowTitle();
    WriteFile(ed.Path("u.txt"), kUtf8);
    ed.encoding.answer = [](EncodingDialog&) { return false; };
    ed.files.answers = {ed.Path("u.txt")};
    ed.Run(ID_FILE_OPEN);
    EXPECT_EQ(ed.encoding.requests.size(), 1u);
    EXPECT_EQ(ed.model().Text(), before);
    EXPECT_EQ(ed.frame().windowTitle(), caption);
    EXPECT_TRUE(ed.model().GetFilePath().empty());
    EXPECT_TRUE(ed.Status().isEmpty());
}

TEST(EncodingOnOpen, TheUsersChoicesShapeTheLoadedText) {
    Editor ed;
    WriteFile(ed.Path("u.txt"), kUtf8);
    ed.encoding.answer = [](EncodingDialog& dialog) {
        dialog.SubstituteEdit().setText(QString());  // an empty substitute deletes
        dialog.CrLfBox().setChecked(false);          // line breaks as they were
        QTest::keyClicks(&dialog.SubstituteEdit(), QStringLiteral("#"));
        return true;
    };
    ed.files.answers = {ed.Path("u.txt")};
    ed.Run(ID_FILE_OPEN);
    EXPECT_EQ(ed.model().Text(), G("春眠不觉晓#\n处处闻啼鸟\n"));

    // A substitute GBK cannot hold is refused in the dialog itself.
    ed.encoding.answer = [](EncodingDialog& dialog) {
        dialog.SubstituteEdit().setText(QStringLiteral("😀"));
        dialog.TakeResult();
        EXPECT_FALSE(dialog.ConvertButton().isEnabled());
        return false;
    };
    ed.Run(ID_FILE_REOPEN_ENCODING);
    EXPECT_EQ(ed.model().Text(), G("春眠不觉晓#\n处处闻啼鸟\n"));
}

TEST(EncodingOnOpen, GbkBooksOpenWithoutADialogAndSaveByteForByte) {
    Editor ed;
    // A GBK book with a character ICU maps to private use, a lone trail byte and bytes valid in
    // no encoding at all.
    const std::string book = G("第一章\r\n天色") + "\xA1\xA1\x80\xFF\xD7\xFA\r\nend\xB0";
    const QString path = ed.Path("gbk.txt");
    WriteFile(path, book);
    ed.files.answers = {path, ed.Path("copy.txt")};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    EXPECT_TRUE(ed.encoding.requests.empty());
    EXPECT_EQ(ed.model().Text(), book);
    EXPECT_TRUE(ed.Status().isEmpty());
    ASSERT_TRUE(ed.Run(ID_FILE_SAVE_AS));
    EXPECT_EQ(ReadFile(ed.Path("copy.txt")), book);
}

TEST(EncodingOnOpen, TheCommandLineAndTheRecentFilesDetectToo) {
    const QString dir = QDir::tempPath() + QStringLiteral("/mked-enc-cmdline");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/big5.txt");
    WriteFile(path,
              "\xBE\xC7\xA6\xD3\xAE\xC9\xB2\xDF\xA4\xA7\xA1\x41\xA4\xA3\xA5\xE7\xBB\xA1"
              "\xA5\x47\r\n");  // 學而時習之，不亦說乎 in Big5
    {
        Editor ed({path});
        ASSERT_EQ(ed.encoding.requests.size(), 1u);
        EXPECT_EQ(ed.encoding.requests[0].detected, qdm::Encoding::Big5);
        EXPECT_EQ(ed.model().Text(), G("學而時習之，不亦說乎\r\n"));
        ASSERT_TRUE(ed.Run(ID_FILE_MRU_FILE1));
        EXPECT_EQ(ed.encoding.requests.size(), 2u);
        ed.encoding.answer = [](EncodingDialog&) { return false; };
        ASSERT_TRUE(ed.Run(ID_FILE_MRU_FILE1));  // cancelled: the file stays in the list
        EXPECT_EQ(ed.encoding.requests.size(), 3u);
        EXPECT_TRUE(ed.Enabled(ID_FILE_MRU_FILE1));
    }
    QDir(dir).removeRecursively();
}

TEST(EncodingOnOpen, ReopeningWithAnEncodingMendsAMisdetection) {
    Editor ed;
    EXPECT_FALSE(ed.Enabled(ID_FILE_REOPEN_ENCODING));  // no file yet
    // Two UTF-8 characters (其徼) that read as well as GBK: a very short text stays GBK.
    const std::string bytes = "\xE5\x85\xB6\xE5\xBE\xBC";
    WriteFile(ed.Path("short.txt"), bytes);
    ed.files.answers = {ed.Path("short.txt")};
    ed.Run(ID_FILE_OPEN);
    EXPECT_TRUE(ed.encoding.requests.empty());
    EXPECT_EQ(ed.model().Text(), bytes);

    ASSERT_TRUE(ed.Enabled(ID_FILE_REOPEN_ENCODING));
    ed.encoding.answer = [](EncodingDialog& dialog) {
        EXPECT_EQ(dialog.EncodingBox().currentText(), QStringLiteral("GBK"));
        SelectEncoding(dialog, qdm::Encoding::Utf8);  // re-previews
        EXPECT_EQ(dialog.PreviewText(), QStringLiteral("其徼"));
        return true;
    };
    ASSERT_TRUE(ed.Run(ID_FILE_REOPEN_ENCODING));
    EXPECT_EQ(ed.model().Text(), G("其徼"));
    EXPECT_EQ(ed.Status(), QStringLiteral("已从 UTF-8 转换为 GBK，替换 0 个字符"));
}

TEST(EncodingOnOpen, ReopeningAModifiedTextAsksFirstAndCancelKeepsIt) {
    Editor ed;
    const std::string bytes = "\xE5\x85\xB6\xE5\xBE\xBC";
    WriteFile(ed.Path("short.txt"), bytes);
    ed.files.answers = {ed.Path("short.txt")};
    ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
    ed.Type(QStringLiteral("x"));
    const std::string typed(ed.model().Text());
    ed.encoding.answer = [](EncodingDialog& dialog) {
        SelectEncoding(dialog, qdm::Encoding::Utf8);
        return true;
    };
    ed.prompter.answers = {2};  // 取消
    ed.Run(ID_FILE_REOPEN_ENCODING);
    ASSERT_EQ(ed.prompter.questions.size(), 1u);
    EXPECT_EQ(ed.prompter.questions[0].text, QStringLiteral("是否保存对 short.txt 的修改?"));
    EXPECT_TRUE(ed.encoding.requests.empty());
    EXPECT_EQ(ed.model().Text(), typed);

    ed.prompter.answers = {1};  // 不保存
    ed.Run(ID_FILE_REOPEN_ENCODING);
    EXPECT_EQ(ed.model().Text(), G("其徼"));
}

// 學習之 / 說話, LF line breaks, in each encoding the dialog offers.
struct EncodedBook {
    qdm::Encoding encoding;
    std::string bytes;
};
const EncodedBook kTraditional[] = {
    {qdm::Encoding::Gbk, "\x8C\x57\xC1\x95\xD6\xAE\n\xD5\x66\xD4\x92\n"},
    {qdm::Encoding::Utf8, "\xE5\xAD\xB8\xE7\xBF\x92\xE4\xB9\x8B\n\xE8\xAA\xAA\xE8\xA9\xB1\n"},
    {qdm::Encoding::Utf16Le, std::string("\x78\x5B\xD2\x7F\x4B\x4E\n\0\xAA\x8A\x71\x8A\n\0", 14)},
    {qdm::Encoding::Utf16Be, std::string("\x5B\x78\x7F\xD2\x4E\x4B\0\n\x8A\xAA\x8A\x71\0\n", 14)},
    {qdm::Encoding::Gb18030, "\x8C\x57\xC1\x95\xD6\xAE\n\xD5\x66\xD4\x92\n"},
    {qdm::Encoding::Big5, "\xBE\xC7\xB2\xDF\xA4\xA7\n\xBB\xA1\xB8\xDC\n"},
};

QString Heading(EncodingDialog& dialog) {
    return dialog.findChildren<QLabel*>().value(0)->text();
}

TEST(EncodingDialogLoad, TheLoadedTextIsThePreviewForEveryEncodingGbkIncluded) {
    const bool t2s = qdm::T2sAvailable();
    struct Case {
        qdm::Encoding encoding;
        bool crlf, t2s;
        const char* text;  // what the preview shows and the editor then holds (UTF-8)
    };
    std::vector<Case> cases;
    for (const EncodedBook& book : kTraditional)
        cases.push_back(
            {book.encoding, true, t2s, t2s ? "学习之\r\n说话\r\n" : "學習之\r\n說話\r\n"});
    cases.push_back({qdm::Encoding::Gbk, false, false, "學習之\n說話\n"});
    if (t2s) cases.push_back({qdm::Encoding::Gbk, false, true, "学习之\n说话\n"});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(qdm::EncodingLabel(c.encoding)) + (c.crlf ? " crlf" : "") +
                     (c.t2s ? " t2s" : ""));
        Editor ed;
        const auto book =
            std::find_if(std::begin(kTraditional), std::end(kTraditional),
                         [&](const EncodedBook& b) { return b.encoding == c.encoding; });
        const QString path = ed.Path("book.txt");
        WriteFile(path, book->bytes);
        QString preview, heading;
        qdm::Encoding detected = qdm::Encoding::Gbk;
        ed.encoding.answer = [&](EncodingDialog& dialog) {
            SelectEncoding(dialog, c.encoding);
            dialog.CrLfBox().setChecked(c.crlf);
            dialog.T2sBox().setChecked(c.t2s);
            preview = dialog.PreviewText();
            heading = Heading(dialog);
            return true;
        };
        ed.files.answers = {path};
        ASSERT_TRUE(ed.Run(ID_FILE_OPEN));
        ed.encoding.requests.clear();
        ASSERT_TRUE(ed.Run(ID_FILE_REOPEN_ENCODING));
        ASSERT_EQ(ed.encoding.requests.size(), 1u);
        detected = ed.encoding.requests[0].detected;

        EXPECT_EQ(ed.model().Text(), G(c.text));
        EXPECT_EQ(preview, U(std::string(ed.model().Text()))
                               .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        EXPECT_EQ(ed.Shown(), ed.ModelShown());
        EXPECT_EQ(heading.contains(QStringLiteral("不是 GBK")), detected != qdm::Encoding::Gbk)
            << heading.toStdString();
        EXPECT_EQ(ed.model().GetFilePath(), path.toStdString());
        if (c.encoding == qdm::Encoding::Gbk && c.crlf && !c.t2s) {
            EXPECT_EQ(ed.Status(),
                      QStringLiteral("已按所选选项载入 GBK 文本，改写换行 2 处，替换 0 个字符"));
        }
    }
}

TEST(EncodingDialogKeys, EnterConvertsAndEscapeCancels) {
    const std::string bytes = kUtf8;
    for (const auto& [key, result] : {std::pair{Qt::Key_Return, QDialog::Accepted},
                                      std::pair{Qt::Key_Escape, QDialog::Rejected}}) {
        EncodingDialog dialog(nullptr, QStringLiteral("a.txt"), bytes, qdm::Encoding::Utf8);
        dialog.show();
        EXPECT_TRUE(dialog.ConvertButton().isDefault());
        EXPECT_EQ(dialog.ConvertButton().text(), QStringLiteral("转换"));
        QTest::keyClick(&dialog, key);
        EXPECT_EQ(dialog.result(), result);
    }
}

}  // namespace
