#pragma once
#include "port/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace mrt::test {

// One recorded call on the dialogs port.
struct DialogCall {
    std::string op;       // "MsgOK", "MsgYesNo", "InputKel", "MsgBox", "MsgOn", "Beep", ...
    std::string title;
    std::string message;
    std::vector<std::string> buttons;  // captions, list entries or picture numbers as text;
                                       // MsgBox: icon and button set ("Critical", "OK")
};

// One scripted answer. `result` is the operation's return value (MsgResult as its int value for
// MsgBox); `text` the text handed back by InputKel, DateInYMD, DateInYM and GetDirName/GetFileName's
// path; `files` the names of GetFileName. `contains`, when not empty, must occur in the message.
struct DialogStep {
    std::string op;
    int result = 0;
    std::string text;
    std::vector<std::string> files;
    std::string contains;
    int lstNm = -1;  // SubMenu: when >= 0, the initial line the caller must pass

    DialogStep& withText(std::string t) { text = std::move(t); return *this; }
    DialogStep& withFiles(std::vector<std::string> f) { files = std::move(f); return *this; }
    DialogStep& expectMessage(std::string m) { contains = std::move(m); return *this; }
    DialogStep& expectInitialLine(int n) { lstNm = n; return *this; }
};

// Dialogs that answer from a script and keep a transcript. Every question (a call that returns
// an answer, and MsgOK/MsgBox) must be scripted in order: an unexpected call fails the test and
// gets the cancel answer; answers left unused fail the test when the object is destroyed (or at
// VerifyDone). MsgOn, MsgOff, MsgProgress, Beep, WaitSeconds and the help calls are only recorded;
// GetFileName in mode 2 (no window) lists the matching files itself and is only recorded.
class ScriptedDialogs : public Dialogs {
public:
    ~ScriptedDialogs() override;

    DialogStep& expect(const std::string& op, int result = 0);
    DialogStep& expectBox(MsgResult r) { return expect("MsgBox", static_cast<int>(r)); }

    const std::vector<DialogCall>& transcript() const { return m_transcript; }
    // Ops of the transcript joined by "," (handy in assertions).
    std::string ops() const;
    // Number of recorded calls of one operation.
    int count(const std::string& op) const;
    // True when some call of `op` had a message containing `text`.
    bool saw(const std::string& op, const std::string& text) const;
    // Fails the test when scripted answers were not used, and clears them.
    void VerifyDone();
    bool waitOpen() const { return m_waitOpen; }

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
    void MsgOn(const std::string& msg, const std::string& ttl) override;
    void MsgOff() override;
    // Recorded with the message "files/total bytes/total"; fails the test outside a wait window.
    void MsgProgress(int filesDone, int filesTotal, int64_t bytesDone, int64_t bytesTotal) override;
    int DateInYMD(const std::string& msg, const std::string& in, std::string& out) override;
    int DateInYM(const std::string& msg, const std::string& in, std::string& out) override;
    int SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) override;
    int SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) override;
    int GetDirName(const std::string& ttl, const std::string& msg, std::string& path) override;
    int GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode,
                    std::string& path, std::vector<std::string>& files) override;
    MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) override;
    void Beep() override;
    void WaitSeconds(double seconds) override;
    void ShowHelpContents(HelpFile file) override;
    void ShowHelpTopic(HelpFile file, int topic) override;
    void CloseAllHelp() override;

private:
    // Records the call and takes the next step; nullptr (after a test failure) when the script
    // does not expect this operation here.
    const DialogStep* take(const std::string& op, const std::string& ttl, const std::string& msg,
                           std::vector<std::string> buttons = {});
    void record(const std::string& op, const std::string& ttl, const std::string& msg,
                std::vector<std::string> buttons = {});

    std::deque<DialogStep> m_script;
    std::vector<DialogCall> m_transcript;
    DialogStep m_current;
    bool m_waitOpen = false;
};

} // namespace mrt::test
