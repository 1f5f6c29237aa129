#pragma once
// Version information of the editor.

namespace qdm::ui {

inline constexpr const char* kProductName = "QDM文件编辑器";
inline constexpr const char* kFileVersion = MKED_VERSION;  // set once, in CMakeLists.txt
inline constexpr const char* kAboutText = "QDM编辑器\tV1.0版";

}  // namespace qdm::ui
