#pragma once
// Everything the user sees is Chinese, Qt's own texts included: the file, font and colour
// dialogs, the standard buttons, the edit area's context menu, and the system's error
// reasons in message boxes.
class QCoreApplication;

namespace qdm::ui {

// Installs Qt's Simplified Chinese translations (qtbase_zh_CN.qm from the Qt installation)
// and chooses Chinese for system error texts. Call once the application object exists.
// False when Qt's translations are not installed: Qt's dialogs then stay in English.
bool UseChinese(QCoreApplication& app);

}  // namespace qdm::ui
