#include "cli/poly_common.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "editor/file_io.h"

namespace qdm::cli {

bool TakeDictOption(Args& args, std::string& dictPath, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--") break;
        if (args[i].rfind("--dict=", 0) == 0) {
            dictPath = args[i].substr(7);
            args.erase(args.begin() + static_cast<long>(i));
            --i;
        } else if (args[i] == "--dict") {
            if (i + 1 >= args.size()) {
                error = "--dict 后面要有词典文件的路径";
                return false;
            }
            dictPath = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            --i;
        }
    }
    return true;
}

std::string DictPathOrDefault(const std::string& dictPath) {
    return dictPath.empty() ? CPolyDict::ExecutableDictPath() : dictPath;
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
