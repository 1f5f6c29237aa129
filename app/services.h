#pragma once
// The dialogs and stores the application and its view talk to. Tests hand in their own so
// that no modal loop runs; a null member means the real one.
namespace qdm::ui {

class IPrompter;
class IFileDialogs;
class IAppearanceDialogs;
class RecentFiles;
class IEncodingPrompter;

struct Services {
    IPrompter* prompter = nullptr;
    IFileDialogs* files = nullptr;
    IAppearanceDialogs* appearance = nullptr;
    RecentFiles* recent = nullptr;
    IEncodingPrompter* encoding = nullptr;
};

}  // namespace qdm::ui
