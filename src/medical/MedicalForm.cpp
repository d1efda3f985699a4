#include "medical/MedicalForm.h"

#include "ledger/LedgerBlock.h"
#include "ledger/LedgerIndex.h"
#include "util/HomeSettings.h"
#include "util/TextFold.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

namespace mrt {
namespace {

constexpr std::array<const char*, kMedicalCategoryCount> kCategoryTexts = {"診療・治療", "医薬品購入",
                                                                           "介護保険サービス", "その他の医療費"};

// Words of a payee's name or a breakdown that tell the category; the first list that matches wins,
// so a "薬局" inside a hospital's name does not make it a pharmacy.
struct CategoryWords {
    MedicalCategory category;
    std::vector<const char*> words;
};
const std::vector<CategoryWords>& categoryWords() {
    static const std::vector<CategoryWords> words = {
        {MedicalCategory::Care, {"介護", "デイサービス", "ケアプラン", "訪問看護"}},
        {MedicalCategory::Treatment,
         {"病院", "医院", "クリニック", "診療所", "歯科", "眼科", "内科", "外科", "皮膚科", "小児科", "耳鼻",
          "産婦人科", "整骨", "接骨", "鍼灸", "治療", "診療", "医療センター"}},
        {MedicalCategory::Medicine, {"薬局", "ドラッグ", "薬店", "薬品", "医薬品", "調剤"}},
    };
    return words;
}

FoldedText folded(const std::string& utf8) {
    FoldedText f;
    FoldUtf8(utf8, f);
    return f;
}

bool contains(const FoldedText& hay, const std::string& word) {
    FoldedText needle = folded(word);
    return !needle.empty() && FoldedContains(hay.data(), hay.size(), needle);
}

int32_t dateNumber(const IoRecord& r) {
    return r.Year * 10000 + r.Month * 100 + r.Day;
}

std::string trimmed(std::string s) {
    auto blank = [](const std::string& t, size_t at, bool back) {
        if (t.empty()) return size_t{0};
        if (!back && t[at] == ' ') return size_t{1};
        if (back && t.back() == ' ') return size_t{1};
        const std::string ideo = "\xE3\x80\x80"; // U+3000
        if (!back && t.compare(at, 3, ideo) == 0) return size_t{3};
        if (back && t.size() >= 3 && t.compare(t.size() - 3, 3, ideo) == 0) return size_t{3};
        return size_t{0};
    };
    size_t n;
    while ((n = blank(s, 0, false)) > 0)
        s.erase(0, n);
    while ((n = blank(s, 0, true)) > 0)
        s.erase(s.size() - n);
    return s;
}

} // namespace

const char* MedicalCategoryText(MedicalCategory c) {
    return kCategoryTexts[static_cast<size_t>(c)];
}

bool MedicalCategoryOfText(const std::string& text, MedicalCategory& c) {
    for (size_t i = 0; i < kCategoryTexts.size(); ++i)
        if (text == kCategoryTexts[i]) {
            c = static_cast<MedicalCategory>(i);
            return true;
        }
    return false;
}

MedicalCategory SuggestedCategory(const std::string& payee, const std::string& note) {
    for (const std::string* text : {&payee, &note}) {
        FoldedText f = folded(*text);
        for (const auto& cw : categoryWords())
            for (const char* w : cw.words)
                if (contains(f, w)) return cw.category;
    }
    return MedicalCategory::Other;
}

std::string PersonOfNote(const std::string& note, const std::vector<std::string>& persons) {
    FoldedText f = folded(note);
    // The longest name that occurs wins, so "花子" in a note naming "山田花子" finds the full name.
    std::string best;
    for (const auto& p : persons)
        if (contains(f, p) && p.size() > best.size()) best = p;
    return best;
}

MedicalForm GroupMedicalLines(const std::vector<IoRecord>& lines, const MedicalOptions& opt) {
    MedicalForm form;
    form.year = opt.year;
    // Rows keyed by the person's place in the member list (unknown last) and the folded payee.
    std::map<std::tuple<size_t, FoldedText>, MedicalRow> rows;
    for (const IoRecord& l : lines) {
        const int64_t amount = int64_t{l.Expense} - l.Income;
        if (amount == 0) continue;
        std::string person = PersonOfNote(l.Note, opt.persons);
        size_t rank = opt.persons.size();
        for (size_t i = 0; i < opt.persons.size(); ++i)
            if (opt.persons[i] == person) rank = i;
        std::string payee = trimmed(l.ShopName.empty() ? l.Note : l.ShopName);
        if (payee.empty()) payee = l.ItemName;
        MedicalRow& row = rows[{rank, folded(payee)}];
        if (row.lines == 0) {
            row.person = person;
            row.payee = payee;
            row.category = SuggestedCategory(payee, l.Note);
            FoldedText fp = folded(payee);
            for (const auto& pc : opt.categories)
                if (folded(pc.payee) == fp) row.category = pc.category;
        }
        row.amount += amount;
        // A refund lowers the amount but is no payment: it does not move the payment date.
        if (amount > 0) row.lastDate = std::max(row.lastDate, dateNumber(l));
        ++row.lines;
    }
    for (auto& [key, row] : rows)
        if (row.amount > 0) form.rows.push_back(std::move(row));
    return form;
}

int CollectMedicalForm(const LedgerIndex& idx, const MedicalOptions& opt, Dialogs& dlg, MedicalForm& form,
                       std::string& why) {
    std::vector<FoldedText> items;
    for (const auto& i : opt.items)
        items.push_back(folded(trimmed(i)));
    std::vector<IoRecord> lines;
    int r = ForEachLedgerLineOfYears(
        idx, opt.year, opt.year, dlg,
        [&](const IoRecord& l) {
            if (l.Year == opt.year && std::find(items.begin(), items.end(), folded(l.ItemName)) != items.end())
                lines.push_back(l);
            return true;
        },
        &why);
    if (r != 0) return -1;
    form = GroupMedicalLines(lines, opt);
    return 0;
}

void MergeMedicalRows(MedicalForm& form) {
    std::vector<MedicalRow> merged;
    for (auto& row : form.rows) {
        auto same = std::find_if(merged.begin(), merged.end(), [&](const MedicalRow& m) {
            return m.person == row.person && m.category == row.category && folded(m.payee) == folded(row.payee);
        });
        if (same == merged.end()) {
            merged.push_back(std::move(row));
            continue;
        }
        same->amount += row.amount;
        same->reimbursed += row.reimbursed;
        same->lastDate = std::max(same->lastDate, row.lastDate);
        same->lines += row.lines;
    }
    form.rows = std::move(merged);
}

namespace {
MedicalSums sumRows(const MedicalForm& form, const std::string* person) {
    MedicalSums s;
    for (const auto& row : form.rows) {
        if (person && row.person != *person) continue;
        s.paid += row.amount;
        // Insurance paid for one bill lowers that bill only, never the others.
        s.reimbursed += std::clamp<int64_t>(row.reimbursed, 0, row.amount);
    }
    return s;
}
} // namespace

MedicalSums SumMedicalForm(const MedicalForm& form, int64_t income) {
    MedicalSums s = sumRows(form, nullptr);
    // 5 % as income / 20: the same value, without the overflow of income * 5 for a huge income.
    s.threshold = income < 0 ? 100000 : std::min<int64_t>(100000, income / 20);
    // The deduction is at most 2,000,000 yen.
    s.deduction = std::clamp<int64_t>(s.paid - s.reimbursed - s.threshold, 0, 2000000);
    return s;
}

std::vector<std::pair<std::string, MedicalSums>> MedicalSumsPerPerson(const MedicalForm& form) {
    std::vector<std::pair<std::string, MedicalSums>> out;
    for (const auto& row : form.rows)
        if (std::none_of(out.begin(), out.end(), [&](const auto& p) { return p.first == row.person; }))
            out.emplace_back(row.person, sumRows(form, &row.person));
    return out;
}

std::vector<std::string> SplitNameList(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    auto flush = [&] {
        std::string t = trimmed(cur);
        if (!t.empty() && std::find(out.begin(), out.end(), t) == out.end()) out.push_back(t);
        cur.clear();
    };
    for (size_t i = 0; i < text.size();) {
        // ",", "，" (U+FF0C) and "、" (U+3001) separate names.
        if (text[i] == ',') {
            flush();
            ++i;
        } else if (text.compare(i, 3, "\xEF\xBC\x8C") == 0 || text.compare(i, 3, "\xE3\x80\x81") == 0) {
            flush();
            i += 3;
        } else {
            cur += text[i++];
        }
    }
    flush();
    return out;
}

namespace {
constexpr const char* kPersonsKey = "MedicalPersons";
constexpr const char* kCategoriesKey = "MedicalPayeeCategories";
} // namespace

std::vector<std::string> LoadMedicalPersons(const std::string& home) {
    return SplitNameList(ReadHomeSetting(home, kPersonsKey));
}

bool SaveMedicalPersons(const std::string& home, const std::vector<std::string>& persons) {
    std::string value;
    for (const auto& p : persons)
        value += (value.empty() ? "" : ",") + p;
    return WriteHomeSetting(home, kPersonsKey, value);
}

// Kept as "payee<TAB>category<TAB>payee<TAB>category…": names of the ledger hold no tab.
std::vector<PayeeCategory> LoadPayeeCategories(const std::string& home) {
    std::vector<PayeeCategory> out;
    std::string value = ReadHomeSetting(home, kCategoriesKey);
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= value.size() && !value.empty()) {
        size_t tab = value.find('\t', at);
        parts.push_back(value.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos) break;
        at = tab + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        PayeeCategory pc;
        if (!parts[i].empty() && MedicalCategoryOfText(parts[i + 1], pc.category)) {
            pc.payee = parts[i];
            out.push_back(pc);
        }
    }
    return out;
}

bool SavePayeeCategories(const std::string& home, const std::vector<PayeeCategory>& categories) {
    std::string value;
    for (const auto& pc : categories) {
        if (pc.payee.find('\t') != std::string::npos) continue;
        value += (value.empty() ? "" : "\t") + pc.payee + "\t" + MedicalCategoryText(pc.category);
    }
    return WriteHomeSetting(home, kCategoriesKey, value);
}

} // namespace mrt
