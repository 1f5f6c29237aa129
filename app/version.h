#pragma once
// Version information of the editor.

namespace mked {

inline constexpr const char* kProductName = "QDM文件编辑器";
inline constexpr const char* kFileVersion = "1.2";
inline constexpr const char* kAboutText = "QDM编辑器\tV1.0版";

}  // namespace mked
