#include "cli/poly_common.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "editor/file_io.h"

namespace qdm::cli {

void AddDictOption(ArgSpec& spec) {
    spec.values.insert("--dict");
    spec.missingValue["--dict"] = "--dict 后面要有词典文件的路径";
}

std::string DictPath(const ParsedArgs& args) {
    const auto it = args.values.find("--dict");
    return it == args.values.end() || it->second.empty() ? CPolyDict::ExecutableDictPath()
                                                         : it->second;
}

std::string DictReadProblem(const CPolyDict& dict) {
    if (dict.Snapshot()->Readable()) return {};
    struct stat st;
    if (::stat(dict.GetPath().c_str(), &st) != 0)
        return IoStatus::Fail(dict.GetPath(), std::strerror(errno)).Describe();
    if (!S_ISREG(st.st_mode)) return dict.GetPath() + ": 不是普通文件";
    FileText file;
    IoStatus io = ReadTextFile(dict.GetPath(), file);
    return io ? std::string() : io.Describe();
}

}  // namespace qdm::cli
