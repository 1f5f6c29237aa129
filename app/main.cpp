// mked: the QDM editor.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/font_alias.h"
#include "app/main_frame.h"
#include "app/resources.h"
#include "app/translations.h"
#include "app/version.h"

namespace {

// Saves a picture of the main window once it has been shown and painted, then quits.
// `commands`: command ids run first, as their menu items would (a picture of a dock); one
// that opens a dialog leaves it open, and the picture is of the dialog.
void ScheduleScreenshot(qdm::ui::CMainFrame& frame, const QString& path,
                        const QStringList& commands) {
    QTimer::singleShot(500, &frame, [&frame, commands] {
        for (const QString& id : commands) frame.SendCommand(id.toInt());
    });
    QTimer::singleShot(1500, &frame, [&frame, path] {
        QWidget* dialog = QApplication::activeModalWidget();
        const bool saved = (dialog ? dialog->grab() : frame.grab()).save(path, "PNG");
        std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                     path.toLocal8Bit().constData());
        QApplication::exit(saved ? 0 : 1);
    });
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mked %s (%s)\n", qdm::ui::kFileVersion, qdm::ui::kProductName);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf(
                "用法: mked [文件]\n"
                "打开 QDM 文件编辑器；给出文件时打开它（.txt 或 .qdm，GBK 编码）。\n"
                "  --version          显示版本信息\n"
                "  --screenshot PNG   启动后把主窗口保存为 PNG 图片并退出\n");
            return 0;
        }
    }
    qdm::ui::UseBundledFontConfig();
    qdm::ui::RegisterFontAlias(QStringLiteral("宋体"));  // the face every text starts in
    QApplication qapp(argc, argv);
    if (!qdm::ui::UseChinese(qapp))
        std::fprintf(stderr,
                     "mked: 找不到 Qt 的中文翻译 (qtbase_zh_CN.qm)，Qt 自带的对话框将显示英文\n");
    QStringList args = qapp.arguments().mid(1);
    QString screenshot;
    if (const qsizetype at = args.indexOf(QStringLiteral("--screenshot")); at >= 0) {
        screenshot = args.value(at + 1);
        args.remove(at, std::min<qsizetype>(2, args.size() - at));
    }
    QStringList commands = qEnvironmentVariable("MKED_SCREENSHOT_COMMANDS").split(u' ');
    commands.removeAll(QString());
    qdm::ui::CmkedApp app;
    if (!app.InitInstance(args)) return 1;
    app.WatchTermination();
    if (!screenshot.isEmpty()) ScheduleScreenshot(app.MainFrame(), screenshot, commands);
    return qapp.exec();
}
