// qdm number: gives the sections of a file their numbers 1, 2, 3 ...
#include "cli/args.h"
#include "cli/batch_text.h"
#include "cli/target.h"
#include "markup/numbering.h"

namespace qdm::cli {
namespace {

int Run(const Args& words) {
    OneInput cmd;
    std::string error;
    if (!ParseOneInput(words, {{{"-i"}, {}, {}, {}}}, cmd, error) || !ResolveTarget(cmd, "", error))
        return UsageError("number", error);
    const std::string& in = cmd.in;
    const Target& target = cmd.target;

    BatchText doc;
    if (!LoadForRewrite(doc, in, target)) return kExitUsage;
    if (!ResultFits(in, NumberedSize(doc.Text()))) return kExitUsage;
    RenumberSections(doc.Edit());
    return WriteTarget(target, doc.Text()) ? kExitOk : kExitUsage;
}

const Registrar registrar("number", {"给 section 重新编号",
                                     "用法: qdm number (-o 输出 | -i) 输入\n"
                                     "\n"
                                     "按出现顺序把每个 \"<vsection=\" 编为 1, 2, 3 ..., 和编辑器\n"
                                     "检查前做的一样. 不检查其他标志.\n"
                                     "\n"
                                     "  -o 输出   写到这个文件 (- 表示标准输出)\n"
                                     "  -i        就地修改输入文件\n"
                                     "\n"
                                     "例子:\n"
                                     "  qdm number -i 水浒传.qdm\n"
                                     "  qdm number -o - 水浒传.qdm | less\n",
                                     Run});

}  // namespace
}  // namespace qdm::cli
