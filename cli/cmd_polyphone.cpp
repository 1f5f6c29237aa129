// qdm polyphone: applies the polyphone dictionary to files and directory trees in place, or to
// one file written elsewhere.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>

#include "cli/command.h"
#include "cli/dict_tools.h"
#include "cli/output.h"
#include "cli/poly_common.h"
#include "cli/target.h"
#include "editor/gbk.h"
#include "polyphone/context_model.h"
#include "polyphone/poly_dir.h"
#include "polyphone/poly_engine.h"
#include "polyphone/poly_file.h"
#include "polyphone/poly_order.h"
#include "polyphone/poly_writer.h"

namespace qdm::cli {
namespace {

constexpr const char* kName = "polyphone";

struct Options {
    bool json = false;
    bool dryRun = false;
    bool hasOutput = false;
    std::string output;
    std::vector<std::string> paths;
    bool smart = false;
    PolyStyle style = PolyStyle::Homophone;
};

// --smart: after the dictionary, the characters the context model reads otherwise than by
// default are respelled, except in what the dictionary wrote.
class SmartPass {
  public:
    SmartPass(const PolyContextModel* model, PolyStyle style) : m_model(model), m_style(style) {}
    bool On() const { return m_model != nullptr; }

    void Apply(std::string_view before, std::string& text) {
        if (!m_model) return;
        PolySmartResult r =
            SmartFix(*m_model, text, DictionaryChangedRanges(before, text), m_style);
        text = std::move(r.text);
        m_predicted += r.predicted;
        m_fixed += r.fixed;
        m_unfixable += r.unfixable;
    }
    int64_t Predicted() const { return m_predicted; }
    int64_t Fixed() const { return m_fixed; }
    int64_t Unfixable() const { return m_unfixable; }

  private:
    const PolyContextModel* m_model;
    PolyStyle m_style;
    int64_t m_predicted = 0, m_fixed = 0, m_unfixable = 0;
};

class Report {
  public:
    Report(const Options& o, int total, const SmartPass& smart)
        : m_opt(o), m_total(total), m_smart(smart) {
        m_bar = ::isatty(2) && total > 0;
    }

    void File(const PolyFileResult& r, std::ostream& out) {
        ClearBar();
        ++m_files;
        if (r.Done()) {
            ++m_done;
            m_replacements += r.replacements;
        } else {
            ++m_skipped;
            if (IsFault(r.outcome)) m_failed = true;
            if (r.outcome == PolyOutcome::TooLarge) m_tooLarge = true;
        }
        if (m_opt.json) {
            JsonLine line;
            line.Path("file", r.path).Int("replacements", r.replacements);
            line.Str("status", r.Done() ? "done" : "skipped");
            if (r.Done())
                line.Null("reason");
            else
                line.Str("reason", r.Reason());
            out << line.Text() << "\n";
        } else if (r.Done()) {
            const std::string msg =
                gbk::Format(gbk::Lit("处理多音字%d个!"), std::to_string(r.replacements));
            out << r.path << ": " << ToTerminal(msg) << (m_opt.dryRun ? " (试运行，未写入)" : "")
                << "\n";
        } else {
            out << r.path << ": 跳过，" << r.Reason() << "\n";
        }
        out.flush();
    }

    // `share` of the next file is done, with `replacements` made in it so far (a long file
    // shows how far it has got).
    void Bar(int handled, double share = 0, int64_t replacements = -1) {
        if (!m_bar) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastBar < std::chrono::milliseconds(100) && handled < m_total) return;
        m_lastBar = now;
        const int shown = std::min(handled, m_total);
        const double done = std::min(1.0, (shown + share) / m_total);
        const int width = 30, filled = static_cast<int>(done * width);
        std::fprintf(stderr, "\r[%s%s] %3d%% %d/%d", std::string(filled, '#').c_str(),
                     std::string(width - filled, ' ').c_str(), static_cast<int>(done * 100), shown,
                     m_total);
        if (replacements >= 0)
            std::fprintf(stderr, " 已替换 %lld", static_cast<long long>(replacements));
        std::fflush(stderr);
        m_barShown = true;
    }

    void ClearBar() {
        if (!m_barShown) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_barShown = false;
    }

    void Summary(std::ostream& out) {
        ClearBar();
        if (m_opt.json) {
            JsonLine line;
            line.Int("files", m_files)
                .Int("done", m_done)
                .Int("skipped", m_skipped)
                .Int("replacements", m_replacements);
            if (m_smart.On())
                line.Int("predicted", m_smart.Predicted())
                    .Int("fixed", m_smart.Fixed())
                    .Int("unfixable", m_smart.Unfixable());
            out << line.Text() << "\n";
        } else {
            out << "共 " << m_files << " 个文件: 处理 " << m_done << " 个，跳过 " << m_skipped
                << " 个，替换多音字 " << m_replacements << " 个";
            if (m_smart.On())
                out << "，按上下文修正 " << m_smart.Fixed() << " 个 (预测 " << m_smart.Predicted()
                    << " 个多音字，" << m_smart.Unfixable() << " 个没有同音字)";
            out << (m_opt.dryRun ? " (试运行，没有写入任何文件)" : "") << "\n";
        }
    }

    // A note on standard error that must not tear the progress bar.
    void Note(const std::string& text) {
        ClearBar();
        std::cerr << "qdm: " << text << "\n";
    }

    int Handled() const { return m_files; }
    bool Failed() const { return m_failed; }
    bool TooLarge() const { return m_tooLarge; }

  private:
    const Options& m_opt;
    int m_total;
    const SmartPass& m_smart;
    bool m_bar = false, m_barShown = false, m_failed = false, m_tooLarge = false;
    std::chrono::steady_clock::time_point m_lastBar{};
    int m_files = 0, m_done = 0, m_skipped = 0;
    int64_t m_replacements = 0;
};

bool IsDir(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Files named on the command line, in place: processed one after another while a pool of
// writers flushes the results to the disk several at a time; reported in the order given.
class InPlaceFiles {
  public:
    InPlaceFiles(const CPolyDict& dict, const Options& o, Report& report, PolySeenFiles& seen,
                 SmartPass& smart)
        : m_dict(dict), m_opt(o), m_report(report), m_seen(seen), m_smart(smart) {}

    // False when the dictionary could not be read any more: the file is left as it was.
    bool Add(const std::string& path) {
        PolyFileResult r;
        r.path = r.relative = path;
        std::string text, first;
        if (IsDictionaryFile(m_dict, path)) {
            r.Skip(PolyOutcome::Dictionary);
        } else if (!m_seen.Claim(path, first)) {
            r.Skip(PolyOutcome::SameFile, first);
        } else if (LoadFileForPolyphone(path, text, r)) {
            bool lost = false;
            const std::string before = m_smart.On() ? text : std::string();
            r.replacements = ApplyDictionary(m_dict, text, &lost, [&](double share, int64_t n) {
                m_report.Bar(m_report.Handled(), share, n);
            });
            if (lost) return false;
            m_smart.Apply(before, text);
            if (static_cast<int64_t>(text.size()) >= MaxFileSize()) {
                r.Skip(PolyOutcome::TooLarge);
            } else if (m_opt.dryRun) {
                if (std::string problem = WriteProblem(path); !problem.empty())
                    r.Skip(PolyOutcome::WriteFailed, std::move(problem));
            } else {
                const uint64_t seq = m_seq++;
                PolyWriter::Job job{seq, path, std::move(text)};
                m_writer.Submit(job, PolyWriter::Clock::time_point::max());
                m_writing.emplace(seq, std::move(r));
                Collect();
                return true;
            }
        }
        Finish(m_seq++, std::move(r));
        Collect();
        return true;
    }

    void Flush() {
        m_writer.Drain();
        Collect();
    }

  private:
    void Finish(uint64_t seq, PolyFileResult r) {
        if (!r.Done()) r.replacements = 0;
        m_ready.Put(seq, std::move(r), [&](const PolyFileResult& ready) {
            m_report.File(ready, std::cout);
            m_report.Bar(m_report.Handled());
        });
    }
    void Collect() {
        for (PolyWriter::Done& done : m_writer.TakeDone()) {
            auto it = m_writing.find(done.seq);
            PolyFileResult r = std::move(it->second);
            m_writing.erase(it);
            if (!done.status) r.Skip(PolyOutcome::WriteFailed, done.status.reason);
            Finish(done.seq, std::move(r));
        }
    }

    const CPolyDict& m_dict;
    const Options& m_opt;
    Report& m_report;
    PolySeenFiles& m_seen;
    SmartPass& m_smart;
    PolyWriter m_writer;
    uint64_t m_seq = 0;
    std::map<uint64_t, PolyFileResult> m_writing;
    PolyInOrder<PolyFileResult> m_ready;
};

// False when the run stopped because the dictionary could not be read any more.
bool RunTree(const CPolyDict& dict, const std::string& dir, const Options& o, Report& report,
             PolySeenFiles& seen, SmartPass& smart) {
    CPolyDirBatch::Options options{o.dryRun, &seen, {}};
    if (smart.On())
        options.afterDictionary = [&smart](std::string_view before, std::string& text) {
            smart.Apply(before, text);
        };
    CPolyDirBatch batch(dict, dir, std::move(options));
    batch.Start();
    const int before = report.Handled();
    bool running = true;
    while (running) {
        running = batch.Tick(std::chrono::milliseconds(50));
        for (const PolyFileResult& r : batch.TakeResults()) report.File(r, std::cout);
        for (const std::string& t : batch.TakeStaleTemporaries())
            report.Note("注意: " + t + " " + PolyStaleTemporaryNote());
        report.Bar(before + batch.Progress().filesDone + batch.Progress().filesSkipped);
    }
    return batch.Progress().state != PolyDirState::DictionaryLost;
}

// The run cannot go on without its dictionary; what was done is reported above.
int DictionaryLost(const CPolyDict& dict, Report& report, std::ostream& out) {
    report.Note("无法再读取多音字词典 " + DictReadProblem(dict) +
                "，处理中止: 上面列出的文件已处理，其余文件未改动");
    report.Summary(out);
    return kExitUsage;
}

// IN ("-": standard input) processed into OUT ("-": standard output); the report goes to
// standard error then.
int RunToOutput(const CPolyDict& dict, const Options& o, SmartPass& smart) {
    const std::string& in = o.paths[0];
    const Target target{o.output};
    std::ostream& log = ReportStream(target);
    Report report(o, 1, smart);
    PolyFileResult r;
    r.path = r.relative = in;
    FileText file;
    if (IoStatus io = ReadInputText(in, file); !io) {
        r.Skip(PolyOutcome::Unreadable, io.reason);
    } else if (file.hadNul) {
        r.Skip(PolyOutcome::HasNul);
    }
    if (!r.Done()) {
        report.File(r, log);
        report.Summary(log);
        return kExitFault;
    }
    bool lost = false;
    const std::string before = smart.On() ? file.text : std::string();
    r.replacements = ApplyDictionary(dict, file.text, &lost,
                                     [&](double share, int64_t n) { report.Bar(0, share, n); });
    report.ClearBar();
    if (lost) return DictionaryLost(dict, report, log);
    smart.Apply(before, file.text);
    if (!ResultFits(in, static_cast<int64_t>(file.text.size()))) return kExitUsage;
    if (!o.dryRun) {
        if (target.ToStdout()) {
            if (!WriteTarget(target, file.text)) return kExitUsage;
        } else if (IoStatus io = WriteFileAtomic(o.output, file.text); !io) {
            std::cerr << "qdm: 无法写入 " << io.Describe() << "\n";
            return kExitUsage;
        }
    }
    report.File(r, log);
    report.Summary(log);
    return kExitOk;
}

bool Parse(const Args& words, Options& o, ParsedArgs& args, std::string& error) {
    ArgSpec spec{{"--json", "--dry-run", "--smart"},
                 {"-o", "--style"},
                 {{"-n", "--dry-run"}, {"--output", "-o"}},
                 {{"-o", "-o 后面要有输出文件 (或 - 表示标准输出)"}}};
    AddDictOption(spec);
    if (!ParseArgs(words, spec, args, error)) return false;
    o.json = args.Has("--json");
    o.dryRun = args.Has("--dry-run");
    o.hasOutput = args.Has("-o");
    o.output = args.Value("-o");
    o.paths = args.operands;
    o.smart = args.Has("--smart");
    if (args.Has("--style")) {
        const std::string style = args.Value("--style");
        if (!o.smart) return error = "--style 只能和 --smart 一起用", false;
        if (style != "homophone" && style != "pinyin")
            return error = "--style 只能是 homophone (同音字) 或 pinyin (拼音)", false;
        o.style = style == "pinyin" ? PolyStyle::Pinyin : PolyStyle::Homophone;
    }
    if (o.paths.empty()) return error = "缺少要处理的文件或目录", false;
    if (!o.hasOutput && std::find(o.paths.begin(), o.paths.end(), "-") != o.paths.end())
        return error = "标准输入 (-) 只能和 -o 一起用", false;
    if (o.hasOutput && (o.paths.size() != 1 || IsDir(o.paths[0])))
        return error = "-o 只能用于一个输入文件", false;
    return true;
}

// Notes about the dictionary before a run: where processing stops, and CRs that would go
// into the books.
void NoteDictionary(const PolyDictSnapshot& snap) {
    if (static_cast<size_t>(snap.AppliedCount()) < snap.LineCount())
        std::cerr << "qdm: 注意: 词典第 " << snap.AppliedCount() + 1
                  << " 行不是有效条目 (词组======>>拼音)，处理到此为止，只应用前 "
                  << snap.AppliedCount() << " 条\n";
    NoteCrEntries(snap);
}

int Run(const Args& words) {
    Options o;
    if (std::find(words.begin(), words.end(), "--audit") != words.end())
        return PolyphoneAudit(words);
    ParsedArgs args;
    std::string error;
    if (!Parse(words, o, args, error)) return UsageError(kName, error);
    const CPolyDict dict(DictPath(args));
    if (std::string problem = DictReadProblem(dict); !problem.empty()) {
        std::cerr << "qdm: 无法读取多音字词典 " << problem << "\n";
        return kExitUsage;
    }
    NoteDictionary(*dict.Snapshot());
    PolyContextModel model;
    if (o.smart && !model.LoadDefault(error)) {
        std::cerr << "qdm: 无法读取读音模型 " << error << "\n";
        return kExitUsage;
    }
    SmartPass smart(o.smart ? &model : nullptr, o.style);
    if (o.hasOutput) return RunToOutput(dict, o, smart);

    int total = 0;
    bool missing = false;
    for (const std::string& p : o.paths) total += IsDir(p) ? CountFilesInTree(p) : 1;
    Report report(o, total, smart);
    PolySeenFiles seen;
    InPlaceFiles files(dict, o, report, seen, smart);
    for (const std::string& p : o.paths) {
        bool dictionaryReadable = true;
        if (!Exists(p)) {
            files.Flush();
            report.Note(IoStatus::Fail(p, "No such file or directory").Describe());
            missing = true;
        } else if (IsDir(p)) {
            files.Flush();
            dictionaryReadable = RunTree(dict, p, o, report, seen, smart);
        } else {
            dictionaryReadable = files.Add(p);
        }
        if (!dictionaryReadable) {
            files.Flush();
            return DictionaryLost(dict, report, std::cout);
        }
    }
    files.Flush();
    report.Summary(std::cout);
    if (missing || report.TooLarge()) return kExitUsage;
    return report.Failed() ? kExitFault : kExitOk;
}

const Registrar reg(
    kName,
    {"用多音字词典替换文件或整个目录中的多音字",
     "用法: qdm polyphone [--dict 词典] [--json] [--dry-run] [--smart [--style 风格]] 路径...\n"
     "      qdm polyphone [--dict 词典] [--json] [--smart [--style 风格]] -o 输出 输入\n" +
         std::string(kAuditUsage) +
         "  路径可以是文件或目录(递归处理其中每个文件)，结果原地写回。\n"
         "  -o 输出   把一个文件的处理结果写到别处 (- 表示标准输出)\n"
         "  --dry-run 不写入任何文件，只报告会替换多少\n"
         "  --json    每个文件一行 JSON，最后一行是汇总\n"
         "  --smart   词典处理之后，再按上下文预测其余多音字的读音，把读音和默认读音\n"
         "            不同的字换掉 (词典替换过的文字不再改动); 没有同音字的字不换，\n"
         "            只计数。汇总 JSON 增加 \"predicted\" (预测的多音字)、\"fixed\"\n"
         "            (换掉的) 和 \"unfixable\" (没有同音字的)\n"
         "  --style   homophone: 换成读这个音的常用单音字 (默认); pinyin: 换成拼音\n"
         "  输入为 - 时读标准输入 (只能和 -o 一起用)。\n"
         "  含 NUL 字节的文件(不是文本)、无法读写的文件和目录会被跳过并报告，不会被改动;\n"
         "  同一个文件 (例如经过链接) 在一次运行中只处理一次。\n"
         "退出码: 0 全部处理，1 有文件被跳过，2 用法错误、路径不存在、词典无法读取\n"
         "  或结果超过 2 GiB; 被 Ctrl-C 或 kill 中断时为 130 或 143，正在写的\n"
         "  临时文件会被删除，每本书要么是原样，要么已处理完。\n"
         "例子:\n"
         "  qdm polyphone ~/books\n"
         "  qdm polyphone book.txt -o out.txt\n",
     Run});

}  // namespace
}  // namespace qdm::cli
