#pragma once
// Shared pieces of the polyphone dialog tests: a scratch directory with GBK files, and a
// stand-in for the user in front of a modal dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "editor/gbk.h"
#include "harness.h"
#include "uikit/qt_text.h"

namespace gbk = qdm::gbk;

namespace polytest {

namespace fs = std::filesystem;

class ScratchDir : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }
    static void Write(const std::string& path, const std::string& bytes) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A dictionary from UTF-8 "word", "replacement" pairs, LF line ends.
    std::string WriteDict(const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::string& name = "kolb_polyphone.ini") const {
        std::string bytes;
        for (const auto& [w, r] : entries) bytes += gbk::Lit(w) + "======>>" + gbk::Lit(r) + "\n";
        Write(Path(name), bytes);
        return Path(name);
    }

    QTemporaryDir m_dir;
};

template <class T>
T* Child(QWidget& w, const char* name) {
    return w.findChild<T*>(QLatin1String(name));
}
inline QString Field(QWidget& w, const char* name) {
    return Child<QLineEdit>(w, name)->text();
}
inline bool Enabled(QWidget& w, const char* name) {
    return Child<QPushButton>(w, name)->isEnabled();
}

// Acts on the next modal dialog as a user would: `step` is called on it every 2 ms until it
// returns true.
class ModalUser : public QTimer {
  public:
    explicit ModalUser(std::function<bool(QDialog*)> step) {
        connect(this, &QTimer::timeout, [this, step] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (d && step(d)) stop();
        });
        start(2);
    }
};

// Clicks the dialog's button `name` as soon as it is enabled.
inline std::function<bool(QDialog*)> ClickWhenEnabled(const char* name) {
    return [name](QDialog* d) {
        if (!Enabled(*d, name)) return false;
        Child<QPushButton>(*d, name)->click();
        return true;
    };
}

}  // namespace polytest
