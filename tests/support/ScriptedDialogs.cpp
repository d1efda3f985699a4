#include "support/ScriptedDialogs.h"

#include "util/FileCopy.h"

#include <gtest/gtest.h>

namespace mrt::test {

ScriptedDialogs::~ScriptedDialogs() { VerifyDone(); }

DialogStep& ScriptedDialogs::expect(const std::string& op, int result) {
    DialogStep s;
    s.op = op;
    s.result = result;
    m_script.push_back(std::move(s));
    return m_script.back();
}

std::string ScriptedDialogs::ops() const {
    std::string r;
    for (const DialogCall& c : m_transcript) {
        if (!r.empty()) r += ",";
        r += c.op;
    }
    return r;
}

int ScriptedDialogs::count(const std::string& op) const {
    int n = 0;
    for (const DialogCall& c : m_transcript) n += c.op == op;
    return n;
}

bool ScriptedDialogs::saw(const std::string& op, const std::string& text) const {
    for (const DialogCall& c : m_transcript)
        if (c.op == op && c.message.find(text) != std::string::npos) return true;
    return false;
}

void ScriptedDialogs::VerifyDone() {
    for (const DialogStep& s : m_script) ADD_FAILURE() << "scripted answer not used: " << s.op;
    m_script.clear();
}

void ScriptedDialogs::record(const std::string& op, const std::string& ttl, const std::string& msg,
                             std::vector<std::string> buttons) {
    m_transcript.push_back({op, ttl, msg, std::move(buttons)});
}

const DialogStep* ScriptedDialogs::take(const std::string& op, const std::string& ttl, const std::string& msg,
                                        std::vector<std::string> buttons) {
    record(op, ttl, msg, std::move(buttons));
    if (m_script.empty()) {
        ADD_FAILURE() << "unexpected dialog " << op << " [" << ttl << "] " << msg;
        return nullptr;
    }
    if (m_script.front().op != op) {
        ADD_FAILURE() << "expected dialog " << m_script.front().op << " but got " << op << " [" << ttl << "] "
                      << msg;
        return nullptr;
    }
    m_current = std::move(m_script.front());
    m_script.pop_front();
    if (!m_current.contains.empty() && msg.find(m_current.contains) == std::string::npos)
        ADD_FAILURE() << op << ": message \"" << msg << "\" does not contain \"" << m_current.contains << "\"";
    return &m_current;
}

void ScriptedDialogs::MsgOK(const std::string& msg, const std::string& ttl, int, int) {
    take("MsgOK", ttl, msg, {"Ｏ  Ｋ"});
}

int ScriptedDialogs::MsgYesNo(const std::string& msg, const std::string& ttl) {
    const DialogStep* s = take("MsgYesNo", ttl, msg, {"は   い", "い い え"});
    return s ? s->result : 1;
}

int ScriptedDialogs::MsgYesNo2(const std::string& msg, const std::string& ttl, int) {
    const DialogStep* s = take("MsgYesNo2", ttl, msg, {"は   い", "い い え"});
    return s ? s->result : 1;
}

int ScriptedDialogs::MsgYesNoBtn(const std::string& msg, const std::string& ttl) {
    const DialogStep* s = take("MsgYesNoBtn", ttl, msg, {"3", "2"});
    return s ? s->result : 1;
}

int ScriptedDialogs::MsgKel(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl, int,
                            int) {
    const DialogStep* s = take("MsgKel", ttl, msg, sel);
    return s ? s->result : static_cast<int>(sel.size());
}

int ScriptedDialogs::MsgKel2(const std::vector<std::string>& sel, const std::string& msg, const std::string& ttl,
                             int, int, int) {
    const DialogStep* s = take("MsgKel2", ttl, msg, sel);
    return s ? s->result : static_cast<int>(sel.size());
}

int ScriptedDialogs::MsgKelBtn(const std::vector<int>& btnNm, const std::string& msg, const std::string& ttl, int,
                               int) {
    std::vector<std::string> b;
    for (int n : btnNm) b.push_back(std::to_string(n));
    const DialogStep* s = take("MsgKelBtn", ttl, msg, b);
    return s ? s->result : static_cast<int>(btnNm.size());
}

int ScriptedDialogs::InputKel(std::string& txt, const std::string& msg, const std::string& ttl, int, int,
                              const std::string& check) {
    const DialogStep* s = take("InputKel", ttl, msg, {txt, check});
    if (!s) return -1;
    if (s->result == 0) txt = s->text;
    return s->result;
}

int ScriptedDialogs::ListKel(const std::vector<std::string>& dt, int, const std::string& msg, const std::string& ttl,
                             int, int) {
    const DialogStep* s = take("ListKel", ttl, msg, dt);
    return s ? s->result : -1;
}

int ScriptedDialogs::ListKelBtn(const std::vector<std::string>& dt, int, const std::string& msg,
                                const std::string& ttl, int, int) {
    const DialogStep* s = take("ListKelBtn", ttl, msg, dt);
    return s ? s->result : -1;
}

void ScriptedDialogs::MsgOn(const std::string& msg, const std::string& ttl) {
    record("MsgOn", ttl, msg);
    m_waitOpen = true;
}

void ScriptedDialogs::MsgOff() {
    record("MsgOff", "", "");
    m_waitOpen = false;
}

void ScriptedDialogs::MsgProgress(int filesDone, int filesTotal, int64_t bytesDone, int64_t bytesTotal) {
    if (!m_waitOpen) ADD_FAILURE() << "progress shown without a wait window";
    record("MsgProgress", "",
           std::to_string(filesDone) + "/" + std::to_string(filesTotal) + " " + std::to_string(bytesDone) + "/" +
               std::to_string(bytesTotal));
}

int ScriptedDialogs::DateInYMD(const std::string& msg, const std::string& in, std::string& out) {
    const DialogStep* s = take("DateInYMD", "日付入力", msg, {in});
    if (!s) return -1;
    if (s->result == 0) out = s->text;
    return s->result;
}

int ScriptedDialogs::DateInYM(const std::string& msg, const std::string& in, std::string& out) {
    const DialogStep* s = take("DateInYM", "日付入力", msg, {in});
    if (!s) return -1;
    if (s->result == 0) out = s->text;
    return s->result;
}

int ScriptedDialogs::SubMenu(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel) {
    const DialogStep* s = take("SubMenu", ttl, "", sel);
    if (!s) return -1;
    if (s->lstNm >= 0) {
        EXPECT_EQ(s->lstNm, lstNm) << "SubMenu initial line";
    }
    return s->result;
}

int ScriptedDialogs::SubMenuH(const std::string& ttl, int& lstNm, const std::vector<std::string>& sel, int hid) {
    const DialogStep* s = take("SubMenuH", ttl, std::to_string(hid), sel);
    if (!s) return -1;
    if (s->lstNm >= 0) {
        EXPECT_EQ(s->lstNm, lstNm) << "SubMenuH initial line";
    }
    return s->result;
}

int ScriptedDialogs::GetDirName(const std::string& ttl, const std::string& msg, std::string& path) {
    const DialogStep* s = take("GetDirName", ttl, msg, {path});
    if (!s) return -1;
    if (s->result == 0) path = s->text;
    return s->result;
}

int ScriptedDialogs::GetFileName(const std::string& ttl, const std::string& msg, const std::string& ptn, int mode,
                                 std::string& path, std::vector<std::string>& files) {
    if (mode == 2) {
        // Takes every matching file without asking, as the chooser does: recorded, never scripted.
        record("GetFileName", ttl, msg, {ptn, "2", path});
        ListFiles(path, ptn, files);
        return files.empty() ? -1 : 0;
    }
    const DialogStep* s = take("GetFileName", ttl, msg, {ptn, std::to_string(mode), path});
    if (!s) return -1;
    if (s->result == 0) {
        if (!s->text.empty()) path = s->text;
        files = s->files;
    }
    return s->result;
}

namespace {
const char* iconName(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information: return "Information";
    case MsgIcon::Exclamation: return "Exclamation";
    case MsgIcon::Critical: return "Critical";
    case MsgIcon::Question: return "Question";
    default: return "None";
    }
}
const char* buttonsName(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OKCancel: return "OKCancel";
    case MsgButtons::YesNo: return "YesNo";
    case MsgButtons::RetryCancel: return "RetryCancel";
    default: return "OK";
    }
}
} // namespace

MsgResult ScriptedDialogs::MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) {
    const DialogStep* s = take("MsgBox", ttl, msg, {iconName(icon), buttonsName(buttons)});
    if (s) return static_cast<MsgResult>(s->result);
    switch (buttons) {
    case MsgButtons::OK: return MsgResult::OK;
    case MsgButtons::YesNo: return MsgResult::No;
    default: return MsgResult::Cancel;
    }
}

void ScriptedDialogs::Beep() { record("Beep", "", ""); }
void ScriptedDialogs::WaitSeconds(double) { record("WaitSeconds", "", ""); }
void ScriptedDialogs::ShowHelpContents(HelpFile) { record("ShowHelpContents", "", ""); }
void ScriptedDialogs::ShowHelpTopic(HelpFile, int topic) { record("ShowHelpTopic", "", std::to_string(topic)); }
void ScriptedDialogs::CloseAllHelp() { record("CloseAllHelp", "", ""); }

} // namespace mrt::test
