#include "ui/dialogs/QtDialogs.h"

#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "ui/backup/frmFILE.h"
#include "ui/dialogs/QtText.h"
#include "ui/dialogs/WaitProgress.h"
#include "ui/dialogs/frmDIN.h"
#include "ui/dialogs/frmMSG.h"
#include "ui/dialogs/frmSelect.h"
#include "ui/help/HelpWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

namespace mrt {

namespace {

QStringList qlist(const std::vector<std::string>& v) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(v.size()));
    for (const std::string& s : v)
        list << qs(s);
    return list;
}

} // namespace

QtDialogs::QtDialogs(QWidget* owner, const IniRecord* settings) : m_owner(owner), m_settings(settings) {}

QtDialogs::~QtDialogs() = default;

void QtDialogs::SetQuiet() {
    if (!m_quiet) m_quiet = std::make_unique<ConsoleDialogs>();
}

int QtDialogs::KeyInputMode() const {
    return m_settings ? m_settings->KeyInputMode : m_keyInputMode;
}

void QtDialogs::MsgOK(const std::string& msg, const std::string& ttl, int x, int y) {
    if (m_quiet) {
        m_quiet->MsgOK(msg, ttl, x, y);
        return;
    }
    frmMSG dlg(m_owner, KeyInputMode());
    dlg.MsgOK(qs(msg), qs(ttl), x, y);
}

int QtDialogs::MsgYesNo(const std::string& msg, const std::string& ttl) {
    if (m_quiet) return m_quiet->MsgYesNo(msg, ttl);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgYesNo(qs(msg), qs(ttl));
}

int QtDialogs::MsgYesNo2(const std::string& msg, const std::string& ttl, int fnm) {
    if (m_quiet) return m_quiet->MsgYesNo2(msg, ttl, fnm);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgYesNo2(qs(msg), qs(ttl), fnm);
}

int QtDialogs::MsgYesNoBtn(const std::string& msg, const std::string& ttl) {
    if (m_quiet) return m_quiet->MsgYesNoBtn(msg, ttl);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgYesNoBtn(qs(msg), qs(ttl));
}

int QtDialogs::MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x,
                      int y) {
    if (m_quiet) return m_quiet->MsgKel(sel, msg, ttl, x, y);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgKel(qlist(sel), qs(msg), qs(ttl), x, y);
}

int QtDialogs::MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int x,
                       int y, int fnm) {
    if (m_quiet) return m_quiet->MsgKel2(sel, msg, ttl, x, y, fnm);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgKel2(qlist(sel), qs(msg), qs(ttl), x, y, fnm);
}

int QtDialogs::MsgKelBtn(const std::vector<int>& btnNm, const std::string& msg, const std::string& ttl, int x, int y) {
    if (m_quiet) return m_quiet->MsgKelBtn(btnNm, msg, ttl, x, y);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.MsgKelBtn(btnNm, qs(msg), qs(ttl), x, y);
}

int QtDialogs::InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int x, int y,
                        const std::string& check) {
    if (m_quiet) return m_quiet->InputKel(txt, msg, ttl, x, y, check);
    frmMSG dlg(m_owner, KeyInputMode());
    QString text = qs(txt);
    const int r = dlg.InputKel(text, qs(msg), qs(ttl), x, y, qs(check));
    if (r == 0) txt = utf8(text);
    return r;
}

int QtDialogs::InputText(std::string& txt, const std::string& msg, const std::string& ttl, int maxChars) {
    if (m_quiet) return m_quiet->InputText(txt, msg, ttl, maxChars);
    frmMSG dlg(m_owner, KeyInputMode());
    QString text = qs(txt);
    const int r = dlg.InputKel(text, qs(msg), qs(ttl), 0, 0, QString(), maxChars);
    if (r == 0) txt = utf8(text);
    return r;
}

int QtDialogs::ListKel(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                       int x, int y) {
    if (m_quiet) return m_quiet->ListKel(dt, nm, msg, ttl, x, y);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.ListKel(qlist(dt), nm, qs(msg), qs(ttl), x, y);
}

int QtDialogs::ListKelBtn(const std::vector<std::string>& dt, int nm, const std::string& msg, const std::string& ttl,
                          int x, int y) {
    if (m_quiet) return m_quiet->ListKelBtn(dt, nm, msg, ttl, x, y);
    frmMSG dlg(m_owner, KeyInputMode());
    return dlg.ListKelBtn(qlist(dt), nm, qs(msg), qs(ttl), x, y);
}

void QtDialogs::MsgOn(const std::string& msg, const std::string& ttl) {
    if (m_quiet) return;
    if (!m_wait) m_wait = std::make_unique<frmMSG>(m_owner, KeyInputMode());
    m_wait->MsgOn(qs(msg), qs(ttl));
}

void QtDialogs::MsgOff() {
    if (m_wait) m_wait->MsgOff();
    m_wait.reset();
}

void QtDialogs::MsgProgress(int filesDone, int filesTotal, int64_t bytesDone, int64_t bytesTotal) {
    if (m_wait && m_wait->isVisible()) ShowWaitProgress(m_wait.get(), filesDone, filesTotal, bytesDone, bytesTotal);
}

int QtDialogs::DateInYMD(const std::string& msg, const std::string& in, std::string& out) {
    if (m_quiet) return m_quiet->DateInYMD(msg, in, out);
    frmDIN dlg(m_owner, KeyInputMode());
    QString answer;
    const int r = dlg.DateInYMD(qs(msg), qs(in), answer);
    if (r == 0) out = utf8(answer);
    return r;
}

int QtDialogs::DateInYM(const std::string& msg, const std::string& in, std::string& out) {
    if (m_quiet) return m_quiet->DateInYM(msg, in, out);
    frmDIN dlg(m_owner, KeyInputMode());
    QString answer;
    const int r = dlg.DateInYM(qs(msg), qs(in), answer);
    if (r == 0) out = utf8(answer);
    return r;
}

int QtDialogs::SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) {
    if (m_quiet) return m_quiet->SubMenu(ttl, lstNm, sel);
    frmSelect dlg(m_owner);
    return dlg.SubMenu(qs(ttl), lstNm, qlist(sel));
}

int QtDialogs::SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) {
    if (m_quiet) return m_quiet->SubMenuH(ttl, lstNm, sel, hid);
    frmSelect dlg(m_owner);
    return dlg.SubMenuH(qs(ttl), lstNm, qlist(sel), hid);
}

int QtDialogs::GetDirName(const std::string& ttl, const std::string& msg, std::string& path) {
    if (m_quiet) return m_quiet->GetDirName(ttl, msg, path);
    frmFILE dlg(m_owner);
    QString p = qs(path);
    const int r = dlg.GetDirName(qs(ttl), qs(msg), p);
    if (r == 0) path = utf8(p);
    return r;
}

int QtDialogs::GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode,
                           std::string& path, std::vector<std::string>& files) {
    if (m_quiet) return m_quiet->GetFileName(ttl, msg, ptn, mode, path, files);
    frmFILE dlg(m_owner);
    QString p = qs(path);
    QStringList names;
    const int r = dlg.GetFileName(qs(ttl), qs(msg), qs(ptn), mode, p, names);
    files.clear();
    if (r == 0) {
        path = utf8(p);
        for (const QString& n : names)
            files.push_back(utf8(n));
    }
    return r;
}

MsgResult QtDialogs::MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) {
    if (m_quiet) return m_quiet->MsgBox(msg, ttl, icon, buttons);
    QMessageBox box(m_owner);
    box.setWindowTitle(qs(ttl));
    box.setText(qs(msg));
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MsgButtons::OK:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OKCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    box.exec();
    // Closing by the frame counts as the box's cancel (or only) answer.
    QAbstractButton* clicked = box.clickedButton();
    switch (clicked ? box.standardButton(clicked) : QMessageBox::NoButton) {
    case QMessageBox::Ok:
        return MsgResult::OK;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    default:
        break;
    }
    switch (buttons) {
    case MsgButtons::OK:
        return MsgResult::OK;
    case MsgButtons::YesNo:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

void QtDialogs::Beep() {
    QApplication::beep();
}

void QtDialogs::WaitSeconds(double seconds) {
    if (m_quiet) return;
    if (seconds <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

void QtDialogs::ShowHelpContents(HelpFile file) {
    AppHelp().ShowHelpContents(file);
}
void QtDialogs::ShowHelpTopic(HelpFile file, int topic) {
    AppHelp().ShowHelpTopic(file, topic);
}
void QtDialogs::CloseAllHelp() {
    AppHelp().CloseAllHelp();
}

} // namespace mrt
