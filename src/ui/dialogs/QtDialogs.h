#pragma once
#include "port/Dialogs.h"

#include <QPointer>
#include <QWidget>
#include <memory>

namespace mrt {

struct IniRecord;
class ConsoleDialogs;
class frmMSG;

// The dialogs port on the desktop: every question is one of the program's own windows
// (frmMSG, frmDIN, frmSelect, frmFILE) or the system's message box. Texts are UTF-8.
class QtDialogs : public Dialogs {
public:
    // owner: the window dialogs are placed against (null = the screen). settings: read for the
    // key input mode at each call when given; it must outlive this object.
    explicit QtDialogs(QWidget* owner = nullptr, const IniRecord* settings = nullptr);
    ~QtDialogs() override;

    void SetOwner(QWidget* owner) { m_owner = owner; }
    QWidget* Owner() const { return m_owner; }
    void SetSettings(const IniRecord* settings) { m_settings = settings; }
    // Used when no settings record is given: 0 Windows type, other DOS type.
    void SetKeyInputMode(int mode) { m_keyInputMode = mode; }
    int KeyInputMode() const;
    // From now on every question gets its cancel or "no" answer and every message goes to stderr,
    // with no window shown: the program is ending on a signal or with the desktop session.
    void SetQuiet();
    bool Quiet() const { return m_quiet != nullptr; }

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
    int InputText(std::string& txt, const std::string& msg, const std::string& ttl, int maxChars) override;
    int ListKel(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl, int x = 0,
                int y = 0) override;
    int ListKelBtn(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                   int x = 0, int y = 0) override;
    void MsgOn(const std::string& msg, const std::string& ttl) override;
    void MsgOff() override;
    void MsgProgress(int filesDone, int filesTotal, int64_t bytesDone, int64_t bytesTotal) override;
    int DateInYMD(const std::string& msg, const std::string& in, std::string& out) override;
    int DateInYM(const std::string& msg, const std::string& in, std::string& out) override;
    int SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) override;
    int SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) override;
    int GetDirName(const std::string& ttl, const std::string& msg, std::string& path) override;
    int GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode, std::string& path,
                    std::vector<std::string>& files) override;
    MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) override;
    void Beep() override;
    void WaitSeconds(double seconds) override;
    void ShowHelpContents(HelpFile file) override;
    void ShowHelpTopic(HelpFile file, int topic) override;
    void CloseAllHelp() override;

private:
    QPointer<QWidget> m_owner;
    const IniRecord* m_settings = nullptr;
    int m_keyInputMode = 1;
    std::unique_ptr<frmMSG> m_wait;
    std::unique_ptr<ConsoleDialogs> m_quiet;
};

} // namespace mrt
