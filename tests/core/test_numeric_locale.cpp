// Numbers typed or stored as text are read with "." as the decimal point whatever the C numeric
// locale says: the desktop program runs under the user's locale once its toolkit has started.
#include "ledger/AmountExpr.h"
#include "settings/IniRecord.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

// Switches LC_NUMERIC to a locale whose decimal point is a comma for the test's lifetime, and
// back to what it was afterwards. scripts/install-deps generates de_DE.UTF-8 for this.
class DecimalCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = std::setlocale(LC_NUMERIC, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
            if (std::setlocale(LC_NUMERIC, name) && std::string(std::localeconv()->decimal_point) == ",") return;
        }
        std::setlocale(LC_NUMERIC, m_saved.c_str());
        FAIL() << "no decimal-comma locale is installed; run scripts/install-deps";
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, m_saved.c_str()); }

private:
    std::string m_saved;
};

// Expressions with decimal factors, and their values with "." as the decimal point.
const std::vector<std::pair<std::string, int32_t>> kDecimalExpressions = {
    {"1000*1.1", 1100}, {"100/2.5", 40},   {"100*1.08", 108}, {"3*0.5", 2},        {"2.5*2", 4},
    {"3.5", 4},         {"-2.5", -2},      {".5", 0},         {"1000*1.1%", 1155}, {"12.5 + 0.6", 13},
    {"1 000.6", 1001},  {"10/0.25/4", 10}, {"0.75*0.75", 1},
};

} // namespace

TEST_F(DecimalCommaLocale, AmountExpressionsReadTheDecimalPoint) {
    for (const auto& [expr, value] : kDecimalExpressions) {
        std::string error;
        EXPECT_EQ(mrt::EvalAmount(expr, 5, &error), value) << expr;
        EXPECT_EQ(error, "") << expr;
    }
    // A decimal comma is no decimal point here, nor a thousands separator: refused, never 10.
    std::string refused;
    EXPECT_EQ(mrt::EvalAmount("1,5*10", 5, &refused), -1);
    EXPECT_FALSE(refused.empty());
    EXPECT_EQ(mrt::EvalAmountText("1000*1.1", 5), "1100");
    // Still an overflow, not a number read up to the point.
    std::string error;
    EXPECT_EQ(mrt::EvalAmount(std::string(400, '9') + ".5", 5, &error), -1);
    EXPECT_FALSE(error.empty());
}

TEST_F(DecimalCommaLocale, AskedAmountsReadTheDecimalPoint) {
    mrt::test::ScriptedDialogs dlg;
    dlg.expect("InputKel", 0).withText("1.6     ");
    int32_t amount = 0;
    EXPECT_EQ(mrt::AskAmount(dlg, "最初の残高を入力してください。", 0, amount), 0);
    EXPECT_EQ(amount, 2);
}

TEST_F(DecimalCommaLocale, SettingsRowsReadTheDecimalPoint) {
    mrt::IniRecord rec;
    mrt::ApplySettingsItems({"2.6", "150.5", "19", "7.4", "0", "1"}, rec);
    EXPECT_EQ(rec.BlockMonths, 3);
    EXPECT_EQ(rec.MaxBlockLines, 150); // 150.5 → even neighbour
    EXPECT_EQ(rec.TaxRate, 7);
}

// The tool under a decimal-comma environment: amounts keep their decimal point and whole-number
// options take digits only.
TEST_F(DecimalCommaLocale, ToolArgumentsReadTheSameWay) {
    mrt::test::TempDir home;
    const std::string env = "LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8";
    const std::string eval = "--home '" + home.path() + "' eval ";
    int status = -1;
    EXPECT_EQ(mrt::test::RunTool(eval + "--tax 8 -- '1000*1.1%'", status, env), "1188\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(mrt::test::RunTool(eval + "--tax +8 -- 100%", status, env), "108\n");
    EXPECT_EQ(status, 0);
    for (const char* tax : {"8,5", "8.5", "8x", "' 8'", "+-8", "''"}) {
        mrt::test::RunTool(eval + "--tax " + tax + " -- 100", status, env);
        EXPECT_EQ(status, 2) << tax;
    }
    mrt::test::RunTool("--home '" + home.path() + "' budget --year 2024.0", status, env);
    EXPECT_EQ(status, 2);
}
