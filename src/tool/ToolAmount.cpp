// mrtkel-tool eval: evaluates an amount expression as the ledger's amount cells do.
#include "ledger/AmountExpr.h"
#include "tool/ToolCommands.h"
#include "tool/ToolText.h"

#include <iostream>

namespace mrt {
namespace {

// eval [--tax N] EXPR — prints the amount; the tax rate defaults to the settings' TaxRate.
// Exit 0 with the amount, 1 with "-1" on stdout and the reason on stderr when it cannot be
// evaluated, 2 on a usage error.
int runEval(ToolContext& ctx) {
    int taxRate = ctx.settings.TaxRate;
    if (auto tax = ctx.option("--tax")) {
        long v = 0;
        if (!parseWholeArg(*tax, v) || v < 0 || v > 100) {
            std::cerr << "eval: --tax takes a whole percentage 0..100\n";
            return 2;
        }
        taxRate = static_cast<int>(v);
    }
    // "--" ends the options, so an expression such as "--5" can still be given.
    const std::vector<std::string> rest = ctx.positional({"--tax"});
    if (rest.size() != 1) {
        std::cerr << "usage: mrtkel-tool eval [--tax N] [--] EXPR\n";
        return 2;
    }
    std::string error;
    int32_t amount = EvalAmount(rest[0], taxRate, &error);
    std::cout << amount << "\n";
    if (!error.empty()) {
        std::cerr << "eval: " << error << "\n";
        return 1;
    }
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(eval, "eval [--tax N] [--] EXPR: evaluates an amount expression (\"%\" or \"*\" at the end adds tax)",
                 mrt::runEval, mrt::HomeUse::Optional);
