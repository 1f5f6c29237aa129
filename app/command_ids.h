#pragma once
// Command ids of menu items, accelerator keys and toolbar buttons: the window's own commands
// (files, editing, bars, help) from 57600 up, the editor's QDM commands from 32780 up.

namespace qdm::ui {

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,  // recent files: 57616 ... 57631
    ID_FILE_MRU_LAST = 57631,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPEAT = 57640,  // find the next match again (F3)
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,

    ID_INSERT_SECTION = 32780,
    ID_INSERT_READERNOTE = 32785,
    ID_INSERT_AUTHORNOTE = 32786,
    ID_INSERT_TRANS = 32787,
    ID_INSERT_EMPH = 32788,
    ID_CHECK_MARKUP = 32790,
    ID_REVERSE_SECTION = 32818,
    ID_POLYPHONE_SETTINGS = 32823,
    ID_POLYPHONE_TEXT = 32825,
    ID_POLYPHONE_FILE = 32828,
    ID_FONT = 32830,
    ID_COLOR = 32834,
    ID_POLYPHONE_DIR = 32837,
    ID_AUTO_PROCESS = 32839,
    ID_VIEW_OUTLINE = 32861,
    ID_VIEW_TAG_HIGHLIGHT = 32862,
    ID_CHECK_ALL = 32863,
    ID_FILE_REOPEN_ENCODING = 32841,
    ID_EDIT_FIND_PREVIOUS = 32870,  // Shift+F3
    ID_EDIT_GOTO = 32871,
    ID_POLYPHONE_AUDIT = 32840,
};

}  // namespace qdm::ui
