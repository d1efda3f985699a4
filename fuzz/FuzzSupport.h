#pragma once
// Shared by the fuzz targets and their replay driver: a private scratch folder for the loaders
// that read files, and dialogs that answer every question with "no" without a word.
#include "port/Dialogs.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mrt::fuzz {

// The process's scratch folder (made on first use, in /dev/shm when possible; removed at exit).
const std::string& Folder();
// Folder() + "/" + name.
std::string PathOf(const std::string& name);
// Writes the bytes as the file `name` of the scratch folder.
void PutFile(const std::string& name, std::string_view bytes);
// Removes every file of the scratch folder.
void ClearFolder();

// Reads input in pieces: a 16-bit little-endian length, then that many bytes (fewer at the end).
class Pieces {
public:
    Pieces(const uint8_t* data, size_t size) : m_data(reinterpret_cast<const char*>(data)), m_left(size) {}
    bool Empty() const { return m_left == 0; }
    // The next piece; false when the input is used up.
    bool Next(std::string_view& piece);
    // The next byte (0 when used up).
    uint8_t Byte();
    // Everything that is left.
    std::string_view Rest();

private:
    const char* m_data;
    size_t m_left;
};

// Every question answered with its cancel or "no" answer; nothing shown.
class QuietDialogs : public Dialogs {
public:
    void MsgOK(const std::string&, const std::string&, int = 0, int = 0) override {}
    int MsgYesNo(const std::string&, const std::string&) override { return 1; }
    int MsgYesNo2(const std::string&, const std::string&, int) override { return 1; }
    int MsgYesNoBtn(const std::string&, const std::string&) override { return 1; }
    int MsgKel(const std::vector<std::string>& sel, const std::string&, const std::string&, int = 0, int = 0) override {
        return static_cast<int>(sel.size());
    }
    int MsgKel2(const std::vector<std::string>& sel, const std::string&, const std::string&, int, int, int) override {
        return static_cast<int>(sel.size());
    }
    int MsgKelBtn(const std::vector<int>& btn, const std::string&, const std::string&, int = 0, int = 0) override {
        return static_cast<int>(btn.size());
    }
    int InputKel(std::string&, const std::string&, const std::string&, int, int, const std::string&) override {
        return -1;
    }
    int ListKel(const std::vector<std::string>&, int, const std::string&, const std::string&, int = 0,
                int = 0) override {
        return -1;
    }
    int ListKelBtn(const std::vector<std::string>&, int, const std::string&, const std::string&, int = 0,
                   int = 0) override {
        return -1;
    }
    void MsgOn(const std::string&, const std::string&) override {}
    void MsgOff() override {}
    int DateInYMD(const std::string&, const std::string&, std::string&) override { return -1; }
    int DateInYM(const std::string&, const std::string&, std::string&) override { return -1; }
    int SubMenu(const std::string&, int&, const std::vector<std::string>&) override { return -1; }
    int SubMenuH(const std::string&, int&, const std::vector<std::string>&, int) override { return -1; }
    int GetDirName(const std::string&, const std::string&, std::string&) override { return -1; }
    int GetFileName(const std::string&, const std::string&, const std::string&, int, std::string&,
                    std::vector<std::string>&) override {
        return -1;
    }
    MsgResult MsgBox(const std::string&, const std::string&, MsgIcon, MsgButtons buttons) override {
        switch (buttons) {
        case MsgButtons::OK:
            return MsgResult::OK;
        case MsgButtons::YesNo:
            return MsgResult::No;
        default:
            return MsgResult::Cancel;
        }
    }
    void Beep() override {}
    void WaitSeconds(double) override {}
    void ShowHelpContents(HelpFile) override {}
    void ShowHelpTopic(HelpFile, int) override {}
    void CloseAllHelp() override {}
};

// Stops the run with a message when a property of the code under test does not hold: the fuzzer
// keeps the input as a crash, the replay driver fails.
[[noreturn]] void Broken(const std::string& what);

} // namespace mrt::fuzz
