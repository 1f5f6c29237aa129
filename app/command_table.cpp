#include "app/command_table.h"

#include <algorithm>

#include "app/command_ids.h"

namespace qdm::ui {
namespace {

constexpr auto Ctrl = Qt::ControlModifier;
constexpr auto Alt = Qt::AltModifier;
constexpr auto Shift = Qt::ShiftModifier;

QKeyCombination K(Qt::KeyboardModifiers m, Qt::Key k) {
    return QKeyCombination(m, k);
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {ID_FILE_NEW, "新建(&N)", {K(Ctrl, Qt::Key_N)}, 1, "创建新文档", "新建"},
        {ID_FILE_OPEN, "打开(&O)...", {K(Ctrl, Qt::Key_O)}, 2, "打开现有文档", "打开"},
        {ID_FILE_SAVE, "保存(&S)", {K(Ctrl, Qt::Key_S)}, 3, "保存活动文档", "保存"},
        {ID_FILE_SAVE_AS, "另存为(&A)...", {}, 0, "用新名称保存活动文档", "另存为"},
        {ID_FILE_REOPEN_ENCODING,
         "重新按编码打开…",
         {},
         0,
         "用选定的编码重新打开当前文件",
         nullptr},
        {ID_APP_EXIT, "退出(&X)", {}, 0, "退出应用程序；提示保存文档", "退出"},
        {ID_INSERT_SECTION, "插入SECTION", {K(Alt, Qt::Key_S)}, 10, nullptr, nullptr},
        {ID_REVERSE_SECTION, "反向SECTION", {K(Alt, Qt::Key_F)}, 11, nullptr, nullptr},
        {ID_INSERT_READERNOTE, "插入读者注", {K(Alt, Qt::Key_R)}, 13, nullptr, nullptr},
        {ID_INSERT_AUTHORNOTE, "插入作者注", {K(Alt, Qt::Key_A)}, 14, nullptr, nullptr},
        {ID_INSERT_TRANS, "插入译文", {K(Alt, Qt::Key_T)}, 15, nullptr, nullptr},
        {ID_INSERT_EMPH, "插入重点", {K(Alt, Qt::Key_E)}, 12, nullptr, nullptr},
        {ID_CHECK_MARKUP, "QDM文件检查", {K(Alt, Qt::Key_C)}, 16, nullptr, nullptr},
        {ID_CHECK_ALL, "全部检查", {}, 0, "检查全文并列出每一处问题", nullptr},
        {ID_AUTO_PROCESS, "自动处理", {}, 0, nullptr, nullptr},
        {ID_EDIT_UNDO,
         "撤消(&U)",
         {K(Ctrl, Qt::Key_Z), K(Alt, Qt::Key_Backspace)},
         0,
         "撤消上一操作",
         "撤消"},
        {ID_EDIT_REDO,
         "重做(&R)",
         {K(Ctrl, Qt::Key_Y), K(Ctrl | Shift, Qt::Key_Z)},
         0,
         "重做上一个撤消的操作",
         "重做"},
        {ID_EDIT_FIND, "查找(&F)...", {K(Ctrl, Qt::Key_F)}, 0, "查找指定的文字", "查找"},
        {ID_EDIT_REPEAT,
         "查找下一个",
         {K(Qt::NoModifier, Qt::Key_F3)},
         0,
         "向下查找上次查找的文字",
         "查找下一个"},
        {ID_EDIT_FIND_PREVIOUS,
         "查找上一个",
         {K(Shift, Qt::Key_F3)},
         0,
         "向上查找上次查找的文字",
         "查找上一个"},
        {ID_EDIT_REPLACE,
         "替换(&H)...",
         {K(Ctrl, Qt::Key_H)},
         0,
         "用别的文字替换指定的文字",
         "替换"},
        {ID_EDIT_GOTO, "转到(&G)...", {K(Ctrl, Qt::Key_G)}, 0, "转到指定的行或段落", "转到"},
        {ID_EDIT_CUT,
         "剪切(&T)",
         {K(Ctrl, Qt::Key_X), K(Shift, Qt::Key_Delete)},
         4,
         "剪切选定内容并将其放到剪贴板上",
         "剪切"},
        {ID_EDIT_COPY,
         "复制(&C)",
         {K(Ctrl, Qt::Key_C), K(Ctrl, Qt::Key_Insert)},
         5,
         "复制选定内容并将其放到剪贴板上",
         "复制"},
        {ID_EDIT_PASTE,
         "粘贴(&P)",
         {K(Ctrl, Qt::Key_V), K(Shift, Qt::Key_Insert)},
         6,
         "插入剪贴板内容",
         "粘贴"},
        {ID_POLYPHONE_SETTINGS, "多音字设置", {}, 0, nullptr, nullptr},
        {ID_POLYPHONE_TEXT, "本文多音字处理", {}, 17, nullptr, nullptr},
        {ID_POLYPHONE_AUDIT, "多音字检查", {}, 0, nullptr, nullptr},
        {ID_POLYPHONE_FILE, "单文件", {}, 0, nullptr, nullptr},
        {ID_POLYPHONE_DIR, "目录", {}, 0, nullptr, nullptr},
        {ID_VIEW_TOOLBAR, "工具栏(&T)", {}, 0, "显示或隐藏工具栏", "切换工具栏"},
        {ID_VIEW_STATUS_BAR, "状态栏(&S)", {}, 0, "显示或隐藏状态栏", "切换状态栏"},
        {ID_VIEW_OUTLINE, "目录", {}, 0, "显示或隐藏各节的目录", nullptr},
        {ID_VIEW_TAG_HIGHLIGHT, "标记高亮", {}, 0, "用颜色标出标记", nullptr},
        {ID_FONT, "字体", {}, 8, nullptr, nullptr},
        {ID_COLOR, "颜色", {}, 9, nullptr, nullptr},
        {ID_APP_ABOUT, "关于 QDM智能编辑器(&A)...", {}, 18, "显示程序信息、版本号和版权", "关于"},
        {ID_NEXT_PANE, nullptr, {K(Qt::NoModifier, Qt::Key_F6)}, 0, "切换到下一个窗格", "下一窗格"},
        {ID_PREV_PANE, nullptr, {K(Shift, Qt::Key_F6)}, 0, "切换回上一个窗格", "上一窗格"},
        {ID_FILE_PRINT, nullptr, {}, 7, nullptr, nullptr},
        {ID_FILE_MRU_FILE1, nullptr, {}, 0, "打开此文档", nullptr},
    };
    return table;
}

const CommandInfo* FindCommand(int id) {
    const auto& table = CommandTable();
    auto it =
        std::find_if(table.begin(), table.end(), [id](const CommandInfo& c) { return c.id == id; });
    return it == table.end() ? nullptr : &*it;
}

const std::vector<MenuEntry>& MenuBar() {
    using E = MenuEntry;
    auto cmd = [](int id) { return E{E::Command, id, nullptr, {}}; };
    const E sep{E::Separator, 0, nullptr, {}};
    static const std::vector<MenuEntry> bar = {
        {E::Popup,
         0,
         "文件(&F)",
         {cmd(ID_FILE_NEW),
          cmd(ID_FILE_OPEN),
          cmd(ID_FILE_SAVE),
          cmd(ID_FILE_SAVE_AS),
          cmd(ID_FILE_REOPEN_ENCODING),
          sep,
          {E::RecentFiles, ID_FILE_MRU_FILE1, "最近的文件", {}},
          sep,
          cmd(ID_APP_EXIT)}},
        {E::Popup,
         0,
         "编辑(&E)",
         {cmd(ID_INSERT_SECTION),
          cmd(ID_REVERSE_SECTION),
          cmd(ID_INSERT_READERNOTE),
          cmd(ID_INSERT_AUTHORNOTE),
          cmd(ID_INSERT_TRANS),
          cmd(ID_INSERT_EMPH),
          cmd(ID_CHECK_MARKUP),
          cmd(ID_CHECK_ALL),
          cmd(ID_AUTO_PROCESS),
          sep,
          cmd(ID_EDIT_UNDO),
          cmd(ID_EDIT_REDO),
          sep,
          cmd(ID_EDIT_CUT),
          cmd(ID_EDIT_COPY),
          cmd(ID_EDIT_PASTE),
          sep,
          cmd(ID_EDIT_FIND),
          cmd(ID_EDIT_REPEAT),
          cmd(ID_EDIT_FIND_PREVIOUS),
          cmd(ID_EDIT_REPLACE),
          cmd(ID_EDIT_GOTO)}},
        {E::Popup,
         0,
         "多音字处理",
         {cmd(ID_POLYPHONE_SETTINGS),
          cmd(ID_POLYPHONE_TEXT),
          cmd(ID_POLYPHONE_AUDIT),
          {E::Popup, 0, "工具", {cmd(ID_POLYPHONE_FILE), cmd(ID_POLYPHONE_DIR)}}}},
        {E::Popup,
         0,
         "视图(&V)",
         {cmd(ID_VIEW_TOOLBAR), cmd(ID_VIEW_STATUS_BAR), cmd(ID_VIEW_OUTLINE),
          cmd(ID_VIEW_TAG_HIGHLIGHT), cmd(ID_FONT), cmd(ID_COLOR)}},
        {E::Popup, 0, "帮助(&H)", {cmd(ID_APP_ABOUT)}},
    };
    return bar;
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> layout = {
        ID_FILE_NEW,
        ID_FILE_OPEN,
        ID_FILE_SAVE,
        0,
        ID_EDIT_CUT,
        ID_EDIT_COPY,
        ID_EDIT_PASTE,
        0,
        ID_FILE_PRINT,
        0,
        ID_FONT,
        ID_COLOR,
        0,
        ID_INSERT_SECTION,
        ID_REVERSE_SECTION,
        0,
        ID_INSERT_EMPH,
        0,
        ID_INSERT_READERNOTE,
        0,
        ID_INSERT_AUTHORNOTE,
        0,
        ID_INSERT_TRANS,
        0,
        ID_CHECK_MARKUP,
        0,
        ID_POLYPHONE_TEXT,
        0,
        ID_APP_ABOUT,
    };
    return layout;
}

const std::vector<Accelerator>& Accelerators() {
    static const std::vector<Accelerator> table = {
        {K(Ctrl, Qt::Key_C), ID_EDIT_COPY},
        {K(Ctrl, Qt::Key_Insert), ID_EDIT_COPY},
        {K(Shift, Qt::Key_Delete), ID_EDIT_CUT},
        {K(Ctrl, Qt::Key_X), ID_EDIT_CUT},
        {K(Ctrl, Qt::Key_V), ID_EDIT_PASTE},
        {K(Shift, Qt::Key_Insert), ID_EDIT_PASTE},
        {K(Alt, Qt::Key_Backspace), ID_EDIT_UNDO},
        {K(Ctrl, Qt::Key_Z), ID_EDIT_UNDO},
        {K(Ctrl, Qt::Key_N), ID_FILE_NEW},
        {K(Ctrl, Qt::Key_O), ID_FILE_OPEN},
        {K(Ctrl, Qt::Key_S), ID_FILE_SAVE},
        {K(Qt::NoModifier, Qt::Key_F6), ID_NEXT_PANE},
        {K(Shift, Qt::Key_F6), ID_PREV_PANE},
        {K(Alt, Qt::Key_S), ID_INSERT_SECTION},
        {K(Alt, Qt::Key_R), ID_INSERT_READERNOTE},
        {K(Alt, Qt::Key_A), ID_INSERT_AUTHORNOTE},
        {K(Alt, Qt::Key_T), ID_INSERT_TRANS},
        {K(Alt, Qt::Key_E), ID_INSERT_EMPH},
        {K(Alt, Qt::Key_C), ID_CHECK_MARKUP},
        {K(Alt, Qt::Key_F), ID_REVERSE_SECTION},
        {K(Ctrl, Qt::Key_Y), ID_EDIT_REDO},
        {K(Ctrl | Shift, Qt::Key_Z), ID_EDIT_REDO},
        {K(Ctrl, Qt::Key_F), ID_EDIT_FIND},
        {K(Ctrl, Qt::Key_H), ID_EDIT_REPLACE},
        {K(Qt::NoModifier, Qt::Key_F3), ID_EDIT_REPEAT},
        {K(Shift, Qt::Key_F3), ID_EDIT_FIND_PREVIOUS},
        {K(Ctrl, Qt::Key_G), ID_EDIT_GOTO},
    };
    return table;
}

}  // namespace qdm::ui
