// make-tbinit: builds the three initial name table files from their readable UTF-8 source.
#include "names/NameTables.h"
#include "tool/ToolCommands.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::string cur;
    std::istringstream in(s);
    while (std::getline(in, cur, sep)) parts.push_back(cur);
    if (!s.empty() && s.back() == sep) parts.emplace_back();
    return parts;
}

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    while (!s.empty() && s.front() == ' ') s.erase(s.begin());
    return s;
}

// Adds one name and reports a refused one with its line number.
bool add(mrt::NameTables& t, int which, int kindOrKey, const std::string& name, int lineNo) {
    std::string err;
    if (mrt::AddName(t, which, kindOrKey, name, &err) < 0) {
        std::cerr << "line " << lineNo << ": " << name << ": " << (err.empty() ? "list full" : err) << "\n";
        return false;
    }
    return true;
}

int runMakeTbInit(mrt::ToolContext& ctx) {
    std::vector<std::string> pos = ctx.positional({});
    if (pos.size() != 2) {
        std::cerr << "usage: mrtkel-tool make-tbinit SOURCE.txt OUTDIR\n";
        return 2;
    }
    const std::string source = ctx.argumentPath(pos[0]), outFolder = ctx.argumentPath(pos[1]);
    std::ifstream in(source);
    if (!in) {
        std::cerr << "cannot read " << pos[0] << "\n";
        return 1;
    }
    mrt::NameTables t;
    std::string line;
    int lineNo = 0;
    bool ok = true;
    while (std::getline(in, line)) {
        ++lineNo;
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = split(line, '|');
        if (f.size() != 4 || (f[0] != "入金" && f[0] != "出金")) {
            std::cerr << "line " << lineNo << ": expected 種別|項目名|内訳,...|店名,...\n";
            return 1;
        }
        int kind = f[0] == "入金" ? mrt::kIncomeKind : mrt::kExpenseKind;
        if (!add(t, mrt::kItemTable, kind, trim(f[1]), lineNo)) return 1;
        int key = mrt::ItemKeyOf(t, kind, t.items.ItemCount[kind]);
        // Each new item starts with the default list; the source's names replace it.
        t.brkDn[key] = mrt::NameListRecord{};
        t.shop[key] = mrt::NameListRecord{};
        for (const std::string& n : split(f[2], ','))
            if (!trim(n).empty()) ok &= add(t, mrt::kBrkDnTable, key, trim(n), lineNo);
        for (const std::string& n : split(f[3], ','))
            if (!trim(n).empty()) ok &= add(t, mrt::kShopTable, key, trim(n), lineNo);
    }
    if (!ok) return 1;
    if (!mrt::MakeFolders(outFolder)) {
        std::cerr << "cannot create " << outFolder << "\n";
        return 1;
    }
    if (mrt::SaveItemTable(mrt::JoinPath(outFolder, mrt::kItemFileName), t, *ctx.dialogs) != 0 ||
        mrt::SaveBrkDnTable(mrt::JoinPath(outFolder, mrt::kBrkDnFileName), t, *ctx.dialogs) != 0 ||
        mrt::SaveShopTable(mrt::JoinPath(outFolder, mrt::kShopFileName), t, *ctx.dialogs) != 0)
        return 1;
    return 0;
}

} // namespace

// clang-format off
MRT_TOOL_COMMAND(make-tbinit, "make-tbinit SOURCE OUTDIR: builds the initial name table files", runMakeTbInit,
                 mrt::HomeUse::Optional);
// clang-format on
