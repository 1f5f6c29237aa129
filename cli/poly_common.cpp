#include "cli/poly_common.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "editor/file_io.h"
#include "polyphone/poly_dict_home.h"

namespace qdm::cli {

void AddDictOption(ArgSpec& spec) {
    spec.values.insert("--dict");
    spec.missingValue["--dict"] = "--dict 后面要有词典文件的路径";
}

std::string DictPath(const ParsedArgs& args) {
    const auto it = args.values.find("--dict");
    return it == args.values.end() || it->second.empty() ? CurrentPolyDictPlaces().Default()
                                                         : it->second;
}

void NoteCrEntries(const PolyDictSnapshot& snap) {
    if (snap.CrEndedCount() > 0)
        std::cerr << "qdm: 注意: " << snap.CrEndedCount()
                  << " 个条目以回车符结尾 (回车符会成为替换文本的一部分)\n";
}

std::string DictReadProblem(const CPolyDict& dict) {
    return PolyDictReadProblem(dict);
}

}  // namespace qdm::cli
