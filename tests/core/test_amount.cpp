#include "ledger/AmountExpr.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <string>

using mrt::EvalAmount;
using mrt::FormatAmount;

namespace {

// Evaluates and asserts that no failure was reported.
int32_t evalOk(const std::string& expr, int taxRate = 5) {
    std::string error = "stale";
    int32_t v = EvalAmount(expr, taxRate, &error);
    EXPECT_EQ(error, "") << "expression: " << expr;
    return v;
}

// Evaluates and asserts that the expression was refused.
void expectFailure(const std::string& expr, int taxRate = 5) {
    std::string error;
    EXPECT_EQ(EvalAmount(expr, taxRate, &error), -1) << "expression: " << expr;
    EXPECT_FALSE(error.empty()) << "expression: " << expr;
    EXPECT_EQ(mrt::EvalAmountText(expr, taxRate), "-1");
}

} // namespace

TEST(EvalAmount, TermsAddAndSubtractInOrder) {
    EXPECT_EQ(evalOk("1000+500-200"), 1300);
    EXPECT_EQ(evalOk("100-30-20"), 50);
    EXPECT_EQ(evalOk(" 100 + 200 "), 300);
    EXPECT_EQ(evalOk("1+-2"), -1); // the remainder "-2" is a signed term
    EXPECT_EQ(evalOk("5--3"), 8);
}

TEST(EvalAmount, SignInFirstOrLastPlaceDoesNotSplit) {
    EXPECT_EQ(evalOk("-500"), -500);
    EXPECT_FALSE(mrt::IsLedgerAmount(evalOk("-500")));
    EXPECT_EQ(evalOk("500-"), 500);
    EXPECT_EQ(evalOk("+500"), 500);
    // A leading sign ends the splitting: the whole text is one term, read up to the "+".
    EXPECT_EQ(evalOk("-500+200"), -500);
}

TEST(EvalAmount, FactorsRoundAfterEveryStep) {
    EXPECT_EQ(evalOk("300*3/2"), 450);
    EXPECT_EQ(evalOk("5/2"), 2);   // 2.5 → even neighbour
    EXPECT_EQ(evalOk("7/2"), 4);   // 3.5 → even neighbour
    EXPECT_EQ(evalOk("5/2*2"), 4); // rounded to 2 before doubling
    EXPECT_EQ(evalOk("1/3*3"), 0);
    EXPECT_EQ(evalOk("2.5*2"), 4); // the first factor is rounded first
    EXPECT_EQ(evalOk("3*0.5"), 2); // 1.5 → 2
    EXPECT_EQ(evalOk("5*0.5"), 2); // 2.5 → 2
    EXPECT_EQ(evalOk("100*1.08"), 108);
    EXPECT_EQ(evalOk("2.5"), 2);
    EXPECT_EQ(evalOk("3.5"), 4);
    EXPECT_EQ(evalOk("-2.5"), -2);
    EXPECT_EQ(evalOk(".5"), 0);
    EXPECT_EQ(evalOk("-7/2"), -4);
    EXPECT_EQ(evalOk("10*2+3*4"), 32);
}

TEST(EvalAmount, NumbersAreReadFromTheLeadingCharacters) {
    EXPECT_EQ(evalOk("1,000"), 1000); // a thousands separator, never the end of the number
    EXPECT_EQ(evalOk("12,345,678"), 12345678);
    EXPECT_EQ(evalOk("1,000+2,500%", 10), 3850);
    EXPECT_EQ(evalOk("1 000"), 1000); // blanks are skipped inside the number
    EXPECT_EQ(evalOk("12abc"), 12);
    EXPECT_EQ(evalOk("abc"), 0);
    EXPECT_EQ(evalOk("1.2.3"), 1);
    EXPECT_EQ(evalOk("１０００"), 0); // full-width digits are not digits here
    EXPECT_EQ(evalOk(""), 0);
    EXPECT_EQ(evalOk("    "), 0);
    EXPECT_EQ(mrt::EvalAmountText("   ", 5), "0");
}

// What EvalAmount would read only in part is not a whole expression: the line rules refuse it.
// Thousands separators and the tax markers, "%N" included, belong to the expression.
TEST(IsWholeAmountExpr, EveryFactorMustBeANumberToItsEnd) {
    for (const char* whole : {"1000", " 1000 ", "1 000", "1200+300", "-500", "300*3/2", "2.5", ".5", "1000%", "1000*",
                              "1+-2", "10*2+3*4", "1,000", "12,345,678", "1,000+2,500%", "980%8", "980 % 8", "1000%0"})
        EXPECT_TRUE(mrt::IsWholeAmountExpr(whole)) << whole;
    for (const char* part :
         {"",         "   ", "abc", "12abc", "1.2.3", "500-", "--5",    "%",      "*",       "1000**", "1+", "1e5",
          "１０００", "+",   ".",   "3/x",   "1,00",  ",500", "1,0000", "980%21", "980%8.5", "100%8%", "%8"})
        EXPECT_FALSE(mrt::IsWholeAmountExpr(part)) << part;
    // Too many terms is still an expression; EvalAmount reports it.
    EXPECT_TRUE(mrt::IsWholeAmountExpr("1+1+1+1+1+1+1+1+1+1+1"));
    expectFailure("1+1+1+1+1+1+1+1+1+1+1");
}

TEST(EvalAmount, ConsumptionTax) {
    EXPECT_EQ(evalOk("1000*", 5), 1050);
    EXPECT_EQ(evalOk("100%", 5), 105); // 104.99999 in single precision + 0.01
    EXPECT_EQ(evalOk("98%", 5), 102);  // 102.9 rounded down
    EXPECT_EQ(evalOk("19%", 5), 19);   // 19.95 rounded down
    EXPECT_EQ(evalOk("98%", 8), 105);
    EXPECT_EQ(evalOk("100%", 10), 110);
    EXPECT_EQ(evalOk("1000+1000%", 8), 2160); // tax on the whole amount
    EXPECT_EQ(evalOk("1000%", 0), 1000);
    EXPECT_EQ(evalOk("1000*", 0), 1000);
    EXPECT_EQ(evalOk("-100%", 5), -105); // rounded down, towards minus
    EXPECT_EQ(evalOk("100**", 5), 105);  // "100*" is one factor once the marker is gone
    EXPECT_EQ(evalOk("%", 5), 0);
    EXPECT_EQ(evalOk("  1000%  ", 5), 1050);
}

// "%N" at the end adds tax at N percent (the reduced rate of food); the plain markers keep the
// settings' rate. "*N" stays a multiplication, so a count typed as "100*3" is never taxed.
TEST(EvalAmount, TaxAtARateOfItsOwn) {
    EXPECT_EQ(evalOk("980%8", 10), 1058);
    EXPECT_EQ(evalOk("1000%10", 5), 1100);
    EXPECT_EQ(evalOk("100%0", 10), 100);
    EXPECT_EQ(evalOk("980 % 8", 10), 1058);
    EXPECT_EQ(evalOk("500+480%8", 10), 1058);      // the rate applies to the whole amount
    EXPECT_EQ(evalOk("99999999%8", 5), 108000008); // same single-precision rule as "%"
    EXPECT_EQ(evalOk("100*3", 10), 300);
    EXPECT_EQ(evalOk("980*8", 10), 7840);
    EXPECT_EQ(evalOk("1000*", 10), 1100);
    expectFailure("100%21");
    expectFailure("100%8.5");
    expectFailure("100%8%");
    expectFailure("%8");
}

TEST(EvalAmount, TaxIsComputedInSinglePrecision) {
    // 99,999,999 is 100,000,000 as a float; × 1.05f = 104,999,995.2, whose nearest float is
    // 104,999,992 (floats step by 8 there). Double precision would give 104,999,998.
    EXPECT_EQ(evalOk("99999999%", 5), 104999992);
    EXPECT_EQ(evalOk("99999999%", 8), 108000008);
}

TEST(EvalAmount, Failures) {
    expectFailure("1,00"); // read as 1 before: a comma that separates no thousands is refused
    expectFailure("1,0000");
    expectFailure(",500");
    expectFailure("1000,");
    expectFailure("100/0");
    expectFailure("100/abc"); // a factor without digits is 0
    expectFailure("0/0");
    expectFailure("2147483648");
    expectFailure("2147483647+1");
    expectFailure("0-2147483647-2");
    expectFailure("65536*65536");
    expectFailure("2147483647.5"); // rounds to 2^31
    expectFailure("2000000000%", 10);
    expectFailure(std::string(400, '9')); // beyond double range: infinity
    expectFailure("-" + std::string(400, '9'));
    expectFailure("1+1+1+1+1+1+1+1+1+1+1");
    expectFailure("2*2*2*2*2*2*2*2*2*2*2");
}

TEST(EvalAmount, LimitsThatStillEvaluate) {
    EXPECT_EQ(evalOk("2147483647"), 2147483647);
    EXPECT_EQ(evalOk("-2147483648"), INT32_MIN);
    EXPECT_EQ(evalOk("0-2147483647-1"), INT32_MIN);
    EXPECT_EQ(evalOk("-2147483647-5"), -2147483647); // one term: the leading sign stops splitting
    EXPECT_EQ(evalOk("1+1+1+1+1+1+1+1+1+1"), 10);
    EXPECT_EQ(evalOk("2*2*2*2*2*2*2*2*2*2"), 1024);
    EXPECT_EQ(evalOk("2*2*2*2*2*2*2*2*2*2+2*2*2*2*2*2*2*2*2*2"), 2048);
    EXPECT_EQ(EvalAmount("10/4", 5), 2);                      // no error pointer needed
    EXPECT_EQ(evalOk("0." + std::string(400, '0') + "1"), 0); // below the double range: 0
}

TEST(EvalAmount, LedgerRange) {
    EXPECT_TRUE(mrt::IsLedgerAmount(0));
    EXPECT_TRUE(mrt::IsLedgerAmount(99999999));
    EXPECT_FALSE(mrt::IsLedgerAmount(100000000));
    EXPECT_FALSE(mrt::IsLedgerAmount(-1));
    EXPECT_FALSE(mrt::IsLedgerAmount(EvalAmount("100/0", 5)));
    EXPECT_STREQ(mrt::kAmountRangeMessage, "金額が異常です。( 金額の範囲は 0～99,999,999 )");
}

TEST(FormatAmount, Modes) {
    EXPECT_EQ(FormatAmount(int64_t{0}, 0), std::string(10, ' '));
    EXPECT_EQ(FormatAmount(int64_t{0}, 2), std::string(9, ' ') + "0");
    EXPECT_EQ(FormatAmount(int64_t{1234567}, 0), " 1,234,567");
    EXPECT_EQ(FormatAmount(int64_t{1234567}, 2), " 1,234,567");
    EXPECT_EQ(FormatAmount(int64_t{99999999}, 0), "99,999,999");
    EXPECT_EQ(FormatAmount(int64_t{999}, 0), "       999");
    EXPECT_EQ(FormatAmount(int64_t{1000}, 2), "     1,000");
    EXPECT_EQ(FormatAmount(int64_t{100000}, 2), "   100,000");
    EXPECT_EQ(FormatAmount(int64_t{-1234}, 2), "    -1,234");
    EXPECT_EQ(FormatAmount(int64_t{-123456}, 0), "  -123,456");
    EXPECT_EQ(FormatAmount(int64_t{0}, 1), "0       ");
    EXPECT_EQ(FormatAmount(int64_t{1234567}, 1), "1234567 ");
    EXPECT_EQ(FormatAmount(int64_t{123456789}, 3), "12345678"); // cut to 8 bytes
}

TEST(FormatAmount, FromCellText) {
    EXPECT_EQ(FormatAmount(std::string("1234"), 0), "     1,234");
    EXPECT_EQ(FormatAmount(std::string(" 1,234 "), 1), "1234    ");
    EXPECT_EQ(FormatAmount(std::string("0"), 0), std::string(10, ' '));
    EXPECT_EQ(FormatAmount(std::string("0"), 2), std::string(9, ' ') + "0");
    EXPECT_EQ(FormatAmount(std::string(""), 0), std::string(10, ' '));
    EXPECT_EQ(FormatAmount(std::string(""), 2), std::string(10, ' '));
    EXPECT_EQ(FormatAmount(std::string("abc"), 1), "abc     ");
    EXPECT_EQ(FormatAmount(std::string("12-3"), 2), "      12-3");
}

namespace {

// Keeps the initial text and check string InputKel is called with.
class InputSpy : public mrt::test::ScriptedDialogs {
public:
    int InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int x, int y,
                 const std::string& check) override {
        initialTexts.push_back(txt);
        checks.push_back(check);
        return ScriptedDialogs::InputKel(txt, msg, ttl, x, y, check);
    }
    std::vector<std::string> initialTexts;
    std::vector<std::string> checks;
};

} // namespace

TEST(AskAmount, ConfirmedAmount) {
    InputSpy dlg;
    dlg.expect("InputKel", 0).withText("2500    ");
    int32_t amount = -7;
    EXPECT_EQ(mrt::AskAmount(dlg, "最初の残高を入力してください。", 1000, amount), 0);
    EXPECT_EQ(amount, 2500);
    ASSERT_EQ(dlg.initialTexts.size(), 1u);
    EXPECT_EQ(dlg.initialTexts[0], "1000    ");
    EXPECT_EQ(dlg.checks[0], "0,99999999");
    ASSERT_EQ(dlg.transcript().size(), 1u);
    EXPECT_EQ(dlg.transcript()[0].title, "金額入力");
    EXPECT_EQ(dlg.transcript()[0].message, "最初の残高を入力してください。");
}

TEST(AskAmount, CancelLeavesTheAmount) {
    InputSpy dlg;
    dlg.expect("InputKel", -1);
    int32_t amount = 42;
    EXPECT_EQ(mrt::AskAmount(dlg, "p", 0, amount), -1);
    EXPECT_EQ(amount, 42);
    EXPECT_EQ(dlg.initialTexts[0], "0       ");
}

TEST(AskAmount, LongDefaultIsNotCut) {
    InputSpy dlg;
    dlg.expect("InputKel", 0).withText("99999999");
    int32_t amount = 0;
    EXPECT_EQ(mrt::AskAmount(dlg, "p", -1234567, amount), 0);
    EXPECT_EQ(dlg.initialTexts[0], "-1234567");
    EXPECT_EQ(amount, 99999999);
}

TEST(AskAmount, OutOfRangeTextIsAskedAgain) {
    InputSpy dlg;
    dlg.expect("InputKel", 0).withText("-5");
    dlg.expect("MsgOK").expectMessage("金額が異常です。");
    dlg.expect("InputKel", 0).withText("300");
    int32_t amount = 0;
    EXPECT_EQ(mrt::AskAmount(dlg, "p", 0, amount), 0);
    EXPECT_EQ(amount, 300);
}
