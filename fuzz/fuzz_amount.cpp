// Amount expressions as the amount cells and the tool take them, and their display forms.
#include "FuzzSupport.h"
#include "ledger/AmountExpr.h"

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces in(data, size);
    const int taxRate = in.Byte() % 101;
    const std::string text(in.Rest());
    std::string error;
    const int32_t amount = EvalAmount(text, taxRate, &error);
    if (!error.empty() && amount != -1) Broken("a failed evaluation did not give -1");
    if (EvalAmountText(text, taxRate) != std::to_string(amount)) Broken("the text form differs from the amount");
    IsAmountText(text);
    IsWholeAmountExpr(text);
    for (int mode : {0, 1, 2}) {
        FormatAmount(text, mode);
        FormatAmount(static_cast<int64_t>(amount), mode);
    }
    return 0;
}
