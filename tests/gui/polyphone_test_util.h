#pragma once
// Shared pieces of the polyphone dialog tests: a scratch directory, GBK files, and a stand-in
// for the user in front of a modal dialog.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/gbk.h"
#include "polyphone/ui/poly_prompt.h"
#include "polyphone/ui/poly_ui_text.h"

namespace polytest {

namespace fs = std::filesystem;

class ScratchDir : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() /
                ("mked-poly-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    static void Write(const std::string& path, const std::string& bytes) {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A dictionary file from "word", "replacement" pairs given in UTF-8, LF line ends.
    std::string WriteDict(const std::vector<std::pair<std::string, std::string>>& entries,
                          const std::string& name = "kolb_polyphone.ini") const {
        std::string bytes;
        for (const auto& [w, r] : entries) bytes += gbk::Lit(w) + "======>>" + gbk::Lit(r) + "\n";
        Write(Path(name), bytes);
        return Path(name);
    }

    fs::path m_dir;
};

// Every box the code under test showed, answered at once.
struct Boxes {
    struct Shown {
        std::string text;  // GBK, as the system wrote it
        std::string caption;
    };
    std::vector<Shown> shown;
    qdm::PolyMessageBox Prompter() {
        return [this](QWidget*, const QString& text, const QString& caption) {
            shown.push_back({qdm::GbkFromQ(text), qdm::GbkFromQ(caption)});
        };
    }
};

// Acts on the next modal dialog as a user would: `step` is called on it every few
// milliseconds until it returns true. Give up after `limitMs` so a test cannot hang.
class ModalUser : public QObject {
  public:
    explicit ModalUser(std::function<bool(QDialog*)> step, int limitMs = 20000)
        : m_step(std::move(step)), m_limitMs(limitMs) {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (m_clock.elapsed() > m_limitMs) {
                ADD_FAILURE() << "the modal dialog was not answered in time";
                if (d) d->reject();
                m_timer.stop();
            } else if (d && m_step(d)) {
                m_timer.stop();
            }
        });
        m_timer.start(2);
    }

  private:
    std::function<bool(QDialog*)> m_step;
    int m_limitMs;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

// Clicks the dialog's button `name` as soon as it is enabled.
inline std::function<bool(QDialog*)> ClickWhenEnabled(const char* name) {
    return [name](QDialog* d) {
        auto* button = d->findChild<QPushButton*>(QLatin1String(name));
        if (!button || !button->isEnabled()) return false;
        button->click();
        return true;
    };
}

}  // namespace polytest
