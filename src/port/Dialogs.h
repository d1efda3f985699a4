#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// Icons and buttons of the platform message box.
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { OK, OKCancel, YesNo, RetryCancel };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

// The two help files: the main one for the ledger window, the secondary one for other windows.
enum class HelpFile { Main, Sub };

// The UI port: every question the core asks the user goes through here. The Qt side builds
// these from its dialog windows; tests answer from a script. Texts are UTF-8.
//
// Results follow the dialogs' own rules: yes/no questions 0 = yes, 1 = no; button choices the
// 1-based button number; inputs 0 = confirmed, -1 = cancelled; list choices the 1-based entry or -1.
// Placement codes x, y: 0, 0 centres over the owner window, 10, 10 centres on the screen.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual void MsgOK(const std::string& msg, const std::string& ttl, int x = 0, int y = 0) = 0;
    virtual int MsgYesNo(const std::string& msg, const std::string& ttl) = 0;
    // As MsgYesNo with the key hint line; button fnm (0-based) has the first focus; Esc = no.
    virtual int MsgYesNo2(const std::string& msg, const std::string& ttl, int fnm) = 0;
    // Two picture buttons (pictures 3 and 2): 0 = first, 1 = second.
    virtual int MsgYesNoBtn(const std::string& msg, const std::string& ttl) = 0;
    virtual int MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x = 0,
                       int y = 0) = 0;
    virtual int MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x,
                        int y, int fnm) = 0;
    // Picture buttons with the picture numbers btnNm.
    virtual int MsgKelBtn(const std::vector<int>& btnNm, const std::string& msg, const std::string& ttl, int x = 0,
                          int y = 0) = 0;
    // txt in: initial text whose length is the maximum input length; out: the confirmed text.
    // check: "min,max", ",max", "min" or "" (see the input dialog). 0 confirmed, -1 cancelled.
    virtual int InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int x, int y,
                         const std::string& check) = 0;
    // A free text (a name, a note): txt in the initial text, out the confirmed text of at most
    // maxChars characters. 0 confirmed, -1 cancelled. Without its own form it is InputKel.
    virtual int InputText(std::string& txt, const std::string& msg, const std::string& ttl, int maxChars) {
        (void)maxChars;
        return InputKel(txt, msg, ttl, 0, 0, "");
    }
    // nm: 1-based entry selected at opening (0 = none). Result: the chosen entry or -1.
    virtual int ListKel(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                        int x = 0, int y = 0) = 0;
    virtual int ListKelBtn(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                           int x = 0, int y = 0) = 0;

    // Wait window without buttons; returns at once. Always followed by MsgOff.
    virtual void MsgOn(const std::string& msg, const std::string& ttl) = 0;
    virtual void MsgOff() = 0;
    // Progress of a long copy shown in the open wait window: files and bytes done of the totals.
    virtual void MsgProgress(int filesDone, int filesTotal, int64_t bytesDone, int64_t bytesTotal) {
        (void)filesDone, (void)filesTotal, (void)bytesDone, (void)bytesTotal;
    }

    // Date dialogs: in "yyyy/mm/dd" or "yy/mm/dd" (any separator); out in the same form.
    // 0 = a real date entered, -1 = cancelled (out unchanged).
    virtual int DateInYMD(const std::string& msg, const std::string& in, std::string& out) = 0;
    // in "yyyy/mm" or "yy/mm"; the month must be 1..12.
    virtual int DateInYM(const std::string& msg, const std::string& in, std::string& out) = 0;

    // Task lists: lstNm is the 1-based initial line; result the chosen line or -1.
    virtual int SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) = 0;
    virtual int SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) = 0;

    // Folder and file chooser: 0 chosen, -1 cancelled. mode 0 = any number of files, 1 = one file,
    // 2 = every matching file without asking.
    virtual int GetDirName(const std::string& ttl, const std::string& msg, std::string& path) = 0;
    virtual int GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode,
                            std::string& path, std::vector<std::string>& files) = 0;

    // The platform's standard message box.
    virtual MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) = 0;

    virtual void Beep() = 0;
    // Processes window events for the given time.
    virtual void WaitSeconds(double seconds) = 0;

    virtual void ShowHelpContents(HelpFile file) = 0;
    virtual void ShowHelpTopic(HelpFile file, int topic) = 0;
    // Closes every help window that was opened; does nothing when none was.
    virtual void CloseAllHelp() = 0;
};

} // namespace mrt
