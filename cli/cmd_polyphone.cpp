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
};

class Report {
  public:
    Report(const Options& o, int total) : m_opt(o), m_total(total) {
        m_bar = ::isatty(2) && total > 0;
    }

    void File(const PolyFileResult& r, std::ostream& out) {
        ClearBar();
        ++m_files;
        if (r.status == PolyFileStatus::Done) {
            ++m_done;
            m_replacements += r.replacements;
        } else {
            ++m_skipped;
            if (!poly_reason::IsBenign(r.reason)) m_failed = true;
            if (r.reason == poly_reason::TooLarge()) m_tooLarge = true;
        }
        if (m_opt.json) {
            JsonLine line;
            line.Path("file", r.path).Int("replacements", r.replacements);
            line.Str("status", r.status == PolyFileStatus::Done ? "done" : "skipped");
            if (r.reason.empty())
                line.Null("reason");
            else
                line.Str("reason", r.reason);
            out << line.Text() << "\n";
        } else if (r.status == PolyFileStatus::Done) {
            const std::string msg =
                gbk::Format(gbk::Lit("处理多音字%d个!"), std::to_string(r.replacements));
            out << r.path << ": " << ToTerminal(msg) << (m_opt.dryRun ? " (试运行，未写入)" : "")
                << "\n";
        } else {
            out << r.path << ": 跳过，" << r.reason << "\n";
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
            out << JsonLine()
                       .Int("files", m_files)
                       .Int("done", m_done)
                       .Int("skipped", m_skipped)
                       .Int("replacements", m_replacements)
                       .Text()
                << "\n";
        } else {
            out << "共 " << m_files << " 个文件: 处理 " << m_done << " 个，跳过 " << m_skipped
                << " 个，替换多音字 " << m_replacements << " 个"
                << (m_opt.dryRun ? " (试运行，没有写入任何文件)" : "") << "\n";
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
    InPlaceFiles(const CPolyDict& dict, const Options& o, Report& report, PolySeenFiles& seen)
        : m_dict(dict), m_opt(o), m_report(report), m_seen(seen) {}

    // False when the dictionary could not be read any more: the file is left as it was.
    bool Add(const std::string& path) {
        PolyFileResult r;
        r.path = r.relative = path;
        std::string text, first;
        if (IsDictionaryFile(m_dict, path)) {
            r.reason = poly_reason::IsDictionary();
        } else if (!m_seen.Claim(path, first)) {
            r.reason = poly_reason::SameFile(first);
        } else if (LoadFileForPolyphone(path, text, r.reason)) {
            bool lost = false;
            r.replacements = ApplyDictionary(m_dict, text, &lost, [&](double share, int64_t n) {
                m_report.Bar(m_report.Handled(), share, n);
            });
            if (lost) return false;
            if (static_cast<int64_t>(text.size()) >= kMaxFileSize) {
                r.reason = poly_reason::TooLarge();
            } else if (m_opt.dryRun) {
                r.reason = WriteProblem(path);
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
        r.status = r.reason.empty() ? PolyFileStatus::Done : PolyFileStatus::Skipped;
        if (!r.reason.empty()) r.replacements = 0;
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
            if (!done.status) r.reason = poly_reason::CannotWrite(done.status);
            Finish(done.seq, std::move(r));
        }
    }

    const CPolyDict& m_dict;
    const Options& m_opt;
    Report& m_report;
    PolySeenFiles& m_seen;
    PolyWriter m_writer;
    uint64_t m_seq = 0;
    std::map<uint64_t, PolyFileResult> m_writing;
    PolyInOrder<PolyFileResult> m_ready;
};

// False when the run stopped because the dictionary could not be read any more.
bool RunTree(const CPolyDict& dict, const std::string& dir, const Options& o, Report& report,
             PolySeenFiles& seen) {
    CPolyDirBatch batch(dict, dir, CPolyDirBatch::Options{o.dryRun, &seen});
    batch.Start();
    const int before = report.Handled();
    bool running = true;
    while (running) {
        running = batch.Tick(std::chrono::milliseconds(50));
        for (const PolyFileResult& r : batch.TakeResults()) report.File(r, std::cout);
        for (const std::string& t : batch.TakeStaleTemporaries())
            report.Note("注意: " + t + " " + poly_reason::StaleTemporary());
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
int RunToOutput(const CPolyDict& dict, const Options& o) {
    const std::string& in = o.paths[0];
    const Target target{o.output};
    std::ostream& log = ReportStream(target);
    Report report(o, 1);
    PolyFileResult r;
    r.path = r.relative = in;
    FileText file;
    if (IoStatus io = ReadInputText(in, file); !io) {
        r.reason = poly_reason::CannotRead(io);
    } else if (file.hadNul) {
        r.reason = poly_reason::HasNul();
    }
    if (!r.reason.empty()) {
        report.File(r, log);
        report.Summary(log);
        return kExitFault;
    }
    bool lost = false;
    r.replacements = ApplyDictionary(dict, file.text, &lost,
                                     [&](double share, int64_t n) { report.Bar(0, share, n); });
    report.ClearBar();
    if (lost) return DictionaryLost(dict, report, log);
    if (!ResultFits(in, static_cast<int64_t>(file.text.size()))) return kExitUsage;
    r.status = PolyFileStatus::Done;
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
    ArgSpec spec{{"--json", "--dry-run"},
                 {"-o"},
                 {{"-n", "--dry-run"}, {"--output", "-o"}},
                 {{"-o", "-o 后面要有输出文件 (或 - 表示标准输出)"}}};
    AddDictOption(spec);
    if (!ParseArgs(words, spec, args, error)) return false;
    o.json = args.Has("--json");
    o.dryRun = args.Has("--dry-run");
    o.hasOutput = args.Has("-o");
    o.output = args.Value("-o");
    o.paths = args.operands;
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
    if (o.hasOutput) return RunToOutput(dict, o);

    int total = 0;
    bool missing = false;
    for (const std::string& p : o.paths) total += IsDir(p) ? CountFilesInTree(p) : 1;
    Report report(o, total);
    PolySeenFiles seen;
    InPlaceFiles files(dict, o, report, seen);
    for (const std::string& p : o.paths) {
        bool dictionaryReadable = true;
        if (!Exists(p)) {
            files.Flush();
            report.Note(IoStatus::Fail(p, "No such file or directory").Describe());
            missing = true;
        } else if (IsDir(p)) {
            files.Flush();
            dictionaryReadable = RunTree(dict, p, o, report, seen);
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
    kName, {"用多音字词典替换文件或整个目录中的多音字",
            "用法: qdm polyphone [--dict 词典] [--json] [--dry-run] 路径...\n"
            "      qdm polyphone [--dict 词典] [--json] -o 输出 输入\n" +
                std::string(kAuditUsage) +
                "  路径可以是文件或目录(递归处理其中每个文件)，结果原地写回。\n"
                "  -o 输出   把一个文件的处理结果写到别处 (- 表示标准输出)\n"
                "  --dry-run 不写入任何文件，只报告会替换多少\n"
                "  --json    每个文件一行 JSON，最后一行是汇总\n"
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
