#pragma once
#include "port/Dialogs.h"

namespace mrt {

// Dialogs without a screen (the command-line tool, benchmarks): messages go to stderr, every
// question gets its cancel or "no" answer, so nothing changes data behind a question it could not
// ask. messagesShown counts the messages, so a caller can tell that one appeared.
class ConsoleDialogs : public Dialogs {
public:
    void MsgOK(const std::string& msg, const std::string& ttl, int x = 0, int y = 0) override;
    int MsgYesNo(const std::string& msg, const std::string& ttl) override;
    int MsgYesNo2(const std::string& msg, const std::string& ttl, int fnm) override;
    int MsgYesNoBtn(const std::string& msg, const std::string& ttl) override;
    int MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x = 0,
               int y = 0) override;
    int MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x, int y,
                int fnm) override;
    int MsgKelBtn(const std::vector<int>& btnNm, const std::string& msg, const std::string& ttl, int x = 0,
                  int y = 0) override;
    int InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int x, int y,
                 const std::string& check) override;
    int ListKel(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl, int x = 0,
                int y = 0) override;
    int ListKelBtn(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                   int x = 0, int y = 0) override;
    void MsgOn(const std::string&, const std::string&) override {}
    void MsgOff() override {}
    int DateInYMD(const std::string& msg, const std::string& in, std::string& out) override;
    int DateInYM(const std::string& msg, const std::string& in, std::string& out) override;
    int SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) override;
    int SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) override;
    int GetDirName(const std::string& ttl, const std::string& msg, std::string& path) override;
    int GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode, std::string& path,
                    std::vector<std::string>& files) override;
    MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) override;
    void Beep() override {}
    void WaitSeconds(double) override {}
    void ShowHelpContents(HelpFile) override {}
    void ShowHelpTopic(HelpFile, int) override {}
    void CloseAllHelp() override {}

    int messagesShown = 0;

private:
    void say(const std::string& ttl, const std::string& msg);
};

} // namespace mrt
