#include "port/ConsoleDialogs.h"

#include <iostream>

namespace mrt {
namespace {

// Messages use CR LF between lines; the terminal wants plain line feeds.
void print(const std::string& ttl, const std::string& msg) {
    std::string m;
    for (char c : msg)
        if (c != '\r') m += c;
    std::string t = ttl;
    while (!t.empty() && (t.front() == ' '))
        t.erase(t.begin());
    if (!t.empty()) std::cerr << t << ": ";
    std::cerr << m << "\n";
}

} // namespace

void ConsoleDialogs::say(const std::string& ttl, const std::string& msg) {
    ++messagesShown;
    print(ttl, msg);
}

void ConsoleDialogs::MsgOK(const std::string& msg, const std::string& ttl, int, int) {
    say(ttl, msg);
}
int ConsoleDialogs::MsgYesNo(const std::string& msg, const std::string& ttl) {
    return say(ttl, msg), 1;
}
int ConsoleDialogs::MsgYesNo2(const std::string& msg, const std::string& ttl, int) {
    return say(ttl, msg), 1;
}
int ConsoleDialogs::MsgYesNoBtn(const std::string& msg, const std::string& ttl) {
    return say(ttl, msg), 1;
}
int ConsoleDialogs::MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int,
                           int) {
    say(ttl, msg);
    return static_cast<int>(sel.size());
}
int ConsoleDialogs::MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int,
                            int, int) {
    say(ttl, msg);
    return static_cast<int>(sel.size());
}
int ConsoleDialogs::MsgKelBtn(const std::vector<int>& btnNm, const std::string& msg, const std::string& ttl, int, int) {
    say(ttl, msg);
    return static_cast<int>(btnNm.size());
}
int ConsoleDialogs::InputKel(std::string&, const std::string& msg, const std::string& ttl, int, int,
                             const std::string&) {
    return say(ttl, msg), -1;
}
int ConsoleDialogs::ListKel(const std::vector<std::string>&, int, const std::string& msg, const std::string& ttl, int,
                            int) {
    return say(ttl, msg), -1;
}
int ConsoleDialogs::ListKelBtn(const std::vector<std::string>&, int, const std::string& msg, const std::string& ttl,
                               int, int) {
    return say(ttl, msg), -1;
}
int ConsoleDialogs::DateInYMD(const std::string& msg, const std::string&, std::string&) {
    return say("", msg), -1;
}
int ConsoleDialogs::DateInYM(const std::string& msg, const std::string&, std::string&) {
    return say("", msg), -1;
}
int ConsoleDialogs::SubMenu(const std::string&, int&, const std::vector<std::string>&) {
    return -1;
}
int ConsoleDialogs::SubMenuH(const std::string&, int&, const std::vector<std::string>&, int) {
    return -1;
}
int ConsoleDialogs::GetDirName(const std::string&, const std::string&, std::string&) {
    return -1;
}
int ConsoleDialogs::GetFileName(const std::string&, const std::string&, const std::string&, int, std::string&,
                                std::vector<std::string>&) {
    return -1;
}
MsgResult ConsoleDialogs::MsgBox(const std::string& msg, const std::string& ttl, MsgIcon, MsgButtons buttons) {
    say(ttl, msg);
    switch (buttons) {
    case MsgButtons::OK:
        return MsgResult::OK;
    case MsgButtons::YesNo:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

} // namespace mrt
