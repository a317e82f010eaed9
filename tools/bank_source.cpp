#include "bank_source.h"

namespace quorvex::tools {

BankSize sizeOf(const BankSource& source) {
    BankSize size;
    forEachNode(source.tree, [&size](const SourceNode& node, int level) {
        size.roots += level == 1 ? 1 : 0;
        size.sections += level == 2 ? 1 : 0;
        size.chapters += level == 3 ? 1 : 0;
        for (const SourceGroup& group : node.groups) {
            ++size.groups;
            for (const SourceQuestion& question : group.questions) {
                ++size.questions;
                size.options += static_cast<int>(question.options.size());
            }
        }
    });
    return size;
}

}  // namespace quorvex::tools
