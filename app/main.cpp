// mked: the QDM editor.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "app/resources.h"
#include "app/version.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("mked %s (%s)\n", mked::kFileVersion, mked::kProductName);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("用法: mked [文件]\n"
                        "打开 QDM 文件编辑器；给出文件时打开它（.txt 或 .qdm，GBK 编码）。\n"
                        "  --version  显示版本信息\n");
            return 0;
        }
    }
    mked::UseBundledFontConfig();
    QApplication qapp(argc, argv);
    mked::CmkedApp app;
    if (!app.InitInstance(qapp.arguments().mid(1))) return 1;
    return qapp.exec();
}
