#include "polyphone/poly_dict.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "editor/error_text.h"
#include "editor/gbk.h"
#include "polyphone/poly_dict_home.h"
#include "polyphone/poly_match.h"

namespace qdm {

// ---- snapshot -------------------------------------------------------------------------------

PolyDictSnapshot::PolyDictSnapshot(std::string content, bool readable)
    : m_content(std::move(content)), m_readable(readable) {
    const std::string_view all = m_content;
    size_t start = 0;
    // LF is below 0x40, so a plain byte search finds exactly the LFs the GBK rule finds.
    for (size_t lf; (lf = all.find('\n', start)) != all.npos; start = lf + 1) {
        std::string_view line = all.substr(start, lf - start);
        size_t sep = gbk::Find(line, kPolySeparator, 0, true);
        LineInfo info{static_cast<uint32_t>(start), kNoSep, static_cast<uint32_t>(lf)};
        if (sep != gbk::npos && sep > 0) info.sep = static_cast<uint32_t>(start + sep);
        m_lines.push_back(info);
    }
    m_applied = RunEnd(0);
    for (int n = 0; n < m_applied; ++n) {
        const LineInfo& l = m_lines[static_cast<size_t>(n)];
        if (l.end > l.start && all[l.end - 1] == '\r') ++m_crEnded;
    }
}

PolyDictSnapshot::~PolyDictSnapshot() = default;

std::string_view PolyDictSnapshot::Line(size_t n) const {
    const LineInfo& l = m_lines[n];
    return std::string_view(m_content).substr(l.start, l.end - l.start);
}

bool PolyDictSnapshot::EntryAt(size_t n, std::string_view& word,
                               std::string_view& replacement) const {
    if (!IsEntry(n)) return false;
    word = Word(n);
    replacement = Replacement(n);
    return true;
}

int PolyDictSnapshot::RunEnd(int from) const {
    size_t n = from < 0 ? 0 : static_cast<size_t>(from);
    while (IsEntry(n)) ++n;
    return static_cast<int>(n);
}

const PolyMatchIndex& PolyDictSnapshot::MatchIndex() const {
    std::call_once(m_indexOnce, [this] { m_index = std::make_unique<PolyMatchIndex>(*this); });
    return *m_index;
}

// ---- the file -------------------------------------------------------------------------------

namespace {

std::string& DefaultPathOverride() {
    static std::string path;
    return path;
}
std::mutex g_defaultMutex;

}  // namespace

CPolyDict::CPolyDict() {
    const PolyDictPlaces places = CurrentPolyDictPlaces();
    {
        std::lock_guard<std::mutex> guard(g_defaultMutex);
        m_path = DefaultPathOverride().empty() ? places.Default() : DefaultPathOverride();
    }
    m_seed = places.SeedFor(m_path);
}

CPolyDict::CPolyDict(std::string path, const IPolyDictClock& clock)
    : m_path(std::move(path)), m_seed(CurrentPolyDictPlaces().SeedFor(m_path)), m_clock(&clock) {}

std::string CPolyDict::ReadPath() const {
    return PolyDictReadPath(m_path, m_seed);
}

std::string CPolyDict::ExecutableDictPath() {
    std::string exe(4096, '\0');
    ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0) return std::string(kPolyDictName);
    exe.resize(static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    return exe.substr(0, slash + 1) + std::string(kPolyDictName);
}

void CPolyDict::SetDefaultPath(std::string path) {
    std::lock_guard<std::mutex> guard(g_defaultMutex);
    DefaultPathOverride() = std::move(path);
}

PolyDictRef CPolyDict::Snapshot() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    const std::string path = ReadPath();
    const PolyFileStamp stamp = m_clock->Stamp(path);
    if (m_snapshot && stamp == m_stamp && !m_racy) return m_snapshot;

    const int64_t readStart = m_clock->NowNs();
    FileText file;
    const bool readable = stamp.valid && ReadTextFile(path, file);
    if (!readable) {
        if (!m_snapshot || m_snapshot->Readable())
            m_snapshot = std::make_shared<const PolyDictSnapshot>(std::string(), false);
        m_stamp = PolyFileStamp{};
        m_racy = false;
        return m_snapshot;
    }
    if (!m_snapshot || !m_snapshot->Readable() || m_snapshot->Content() != file.text)
        m_snapshot = std::make_shared<const PolyDictSnapshot>(std::move(file.text), true);
    m_stamp = stamp;
    m_racy = StampMayHideARewrite(stamp, readStart);
    return m_snapshot;
}

bool CPolyDict::GetEntry(int n, std::string& word, std::string& replacement) const {
    if (n < 0) return false;
    PolyDictRef snap = Snapshot();
    std::string_view w, r;
    if (!snap->EntryAt(static_cast<size_t>(n), w, r)) return false;
    word.assign(w);
    replacement.assign(r);
    return true;
}

int CPolyDict::CountEntries() const {
    return Snapshot()->AppliedCount();
}

bool CPolyDict::LoadLines(std::vector<std::string>& lines) const {
    lines.clear();
    PolyDictRef snap = Snapshot();
    if (!snap->Readable()) return false;
    lines.reserve(snap->LineCount());
    for (size_t i = 0; i < snap->LineCount(); ++i) lines.emplace_back(snap->Line(i));
    return true;
}

IoStatus CPolyDict::SaveLines(const std::vector<std::string>& lines) const {
    std::string content;
    size_t total = 0;
    for (const std::string& line : lines) total += line.size() + 1;
    content.reserve(total);
    for (const std::string& line : lines) content.append(line).push_back('\n');
    if (IoStatus io = MakePolyDictFolder(m_path, m_seed); !io) return io;
    return WriteFileAtomic(m_path, content);
}

std::string PolyDictReadProblem(const CPolyDict& dict) {
    if (dict.Snapshot()->Readable()) return {};
    const std::string path = dict.ReadPath();
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return IoStatus::Fail(path, ErrorText(errno)).Describe();
    if (!S_ISREG(st.st_mode)) return path + ": 不是普通文件";
    FileText file;
    IoStatus io = ReadTextFile(path, file);
    return io ? std::string() : io.Describe();
}

}  // namespace qdm
