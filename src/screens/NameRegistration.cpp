// The name registration window's decisions: panes, work operations, inline input, closing.
#include "screens/NameRegistration.h"

#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"

#include <algorithm>

namespace mrt {
namespace {

constexpr const char* kAddTitle = "登録データの追加";
constexpr const char* kRenameTitle = "登録データの変更";
constexpr int kHelpTopic = 300;

// Each ASCII digit as its full-width form (U+FF10..U+FF19).
std::string fullWidthDigits(int value) {
    std::string out;
    for (char c : std::to_string(value)) {
        if (c < '0' || c > '9') {
            out += c;
            continue;
        }
        out += "\xEF\xBC";
        out += static_cast<char>(0x90 + (c - '0'));
    }
    return out;
}

int nameBytes(int which) {
    if (which == kItemTable) return kItemTextBytes;
    return which == kBrkDnTable ? kBrkDnTextBytes : kShopTextBytes;
}

} // namespace

std::string NameRegistration::IdleHelp() {
    return "該当するデータを選択してから作業ボタンを押してください。\r\n"
           "データの選択はマウスでクリックするか[→][←][↑][↓]ｷｰを使います";
}

std::string NameRegistration::ListName(int pane, int kind) {
    if (pane == kItemPane) return kind == kIncomeKind ? "[入金項目名]" : "[出金項目名]";
    return pane == kBrkDnPane ? "[内訳・備考]" : "[店名・相手先]";
}

NameRegistration::NameRegistration(NameTables& tables, Dialogs& dlg, NameRegistrationView& view)
    : m_t(tables), m_dlg(dlg), m_view(view) {}

void NameRegistration::Open() {
    m_screen = NameRegistrationScreen{};
    m_screen.kind = kExpenseKind;
    for (int kind = 0; kind < 2; ++kind) {
        m_screen.items[kind] = FillItemList(m_t, kind, false);
        m_screen.itemSel[kind] = m_screen.items[kind].empty() ? -1 : 0;
    }
    m_screen.help = IdleHelp();
    m_screen.activePane = kItemPane;
    m_result = 0;
    m_closed = false;
    m_inputState = kInputNone;
    refill();
    refresh();
}

int NameRegistration::which(int pane) const {
    return pane == kItemPane ? kItemTable : pane == kBrkDnPane ? kBrkDnTable : kShopTable;
}

int NameRegistration::currentKey() const {
    const int sel = m_screen.itemSel[m_screen.kind];
    return sel < 0 ? -1 : ItemKeyOf(m_t, m_screen.kind, sel + 1);
}

int NameRegistration::kindOrKey(int pane) const {
    return pane == kItemPane ? m_screen.kind : currentKey();
}

int NameRegistration::selectedIndex(int pane) const {
    if (pane == kItemPane) return m_screen.itemSel[m_screen.kind];
    return pane == kBrkDnPane ? m_screen.brkDnSel : m_screen.shopSel;
}

void NameRegistration::setSelected(int pane, int index) {
    if (pane == kItemPane)
        m_screen.itemSel[m_screen.kind] = index;
    else if (pane == kBrkDnPane)
        m_screen.brkDnSel = index;
    else
        m_screen.shopSel = index;
}

// Refills every list from the tables (the breakdown and shop lists for the current item) and the
// counts; selections are pulled inside their lists.
void NameRegistration::refill() {
    for (int kind = 0; kind < 2; ++kind) {
        m_screen.items[kind] = FillItemList(m_t, kind, false);
        const int n = static_cast<int>(m_screen.items[kind].size());
        m_screen.itemSel[kind] = n == 0 ? -1 : std::clamp(m_screen.itemSel[kind], 0, n - 1);
    }
    const int key = currentKey();
    m_screen.brkDn = FillBrkDnList(m_t, key, false);
    m_screen.shop = FillShopList(m_t, key, false);
    auto clampSel = [](int sel, const std::vector<std::string>& list) {
        return list.empty() ? -1 : std::min(sel, static_cast<int>(list.size()) - 1);
    };
    m_screen.brkDnSel = clampSel(m_screen.brkDnSel, m_screen.brkDn);
    m_screen.shopSel = clampSel(m_screen.shopSel, m_screen.shop);
    m_screen.incomeCount = fullWidthDigits(m_t.items.ItemCount[kIncomeKind]);
    m_screen.expenseCount = fullWidthDigits(m_t.items.ItemCount[kExpenseKind]);
}

void NameRegistration::refresh() {
    m_view.Refresh(m_screen);
}

// Activates a pane. A breakdown or shop list activated by a key (selectFirst) gets its first
// entry selected; an inactive one loses its selection.
void NameRegistration::activate(int pane, bool selectFirst) {
    m_screen.activePane = pane;
    if (pane != kBrkDnPane) m_screen.brkDnSel = -1;
    if (pane != kShopPane) m_screen.shopSel = -1;
    if (pane != kItemPane && selectFirst) {
        const auto& list = pane == kBrkDnPane ? m_screen.brkDn : m_screen.shop;
        setSelected(pane, list.empty() ? -1 : 0);
    }
    refresh();
}

void NameRegistration::moveSelection(int step, bool toEnd) {
    const int pane = m_screen.activePane;
    const int n = static_cast<int>(pane == kItemPane    ? m_screen.items[m_screen.kind].size()
                                   : pane == kBrkDnPane ? m_screen.brkDn.size()
                                                        : m_screen.shop.size());
    if (n == 0) return;
    const int from = selectedIndex(pane);
    const int to = toEnd ? (step < 0 ? 0 : n - 1) : std::clamp(from + step, 0, n - 1);
    if (to == from) return;
    setSelected(pane, to);
    // Another item: its breakdown and shop lists are shown.
    if (pane == kItemPane) refill();
    refresh();
}

void NameRegistration::switchKind() {
    m_screen.kind = 1 - m_screen.kind;
    m_screen.activePane = kItemPane;
    m_screen.brkDnSel = m_screen.shopSel = -1;
    refill();
    refresh();
}

void NameRegistration::Key(WindowKey key, const std::string& inputText) {
    if (m_closed) return;
    if (m_inputState == kInputRunning) {
        switch (key) {
        case WindowKey::Enter:
        case WindowKey::F12:
            finishInput(kInputNone, inputText);
            return;
        case WindowKey::Esc:
            finishInput(kInputCancelled, inputText);
            return;
        case WindowKey::F1:
            help();
            return;
        default:
            m_view.ReturnFocus();
            return;
        }
    }
    const int pane = m_screen.activePane;
    switch (key) {
    case WindowKey::Right:
        if (pane == kShopPane)
            activate(kItemPane, false);
        else
            activate(pane + 1, true);
        return;
    case WindowKey::Left:
        if (pane == kBrkDnPane)
            activate(kItemPane, false);
        else if (pane == kShopPane)
            activate(kBrkDnPane, true);
        return;
    case WindowKey::Up:
        moveSelection(-1, false);
        return;
    case WindowKey::Down:
        moveSelection(1, false);
        return;
    case WindowKey::Home:
        moveSelection(-1, true);
        return;
    case WindowKey::End:
        moveSelection(1, true);
        return;
    case WindowKey::Tab:
        if (pane == kItemPane) switchKind();
        return;
    case WindowKey::Esc:
        cancel();
        return;
    case WindowKey::F1:
        help();
        return;
    case WindowKey::F2:
        startWork(Work::Add);
        return;
    case WindowKey::F3:
        startWork(Work::Rename);
        return;
    case WindowKey::F4:
        deleteEntry();
        return;
    case WindowKey::PageUp:
        moveEntry(-1);
        return;
    case WindowKey::PageDown:
        moveEntry(1);
        return;
    case WindowKey::F12:
        confirm();
        return;
    default:
        return;
    }
}

void NameRegistration::Button(TblButton button, const std::string& inputText) {
    if (m_closed) return;
    if (m_inputState == kInputRunning) {
        switch (button) {
        case TblButton::OK:
            finishInput(kInputNone, inputText);
            return;
        case TblButton::Cancel:
            finishInput(kInputCancelled, inputText);
            return;
        case TblButton::Help:
            help();
            return;
        default:
            m_view.ReturnFocus();
            return;
        }
    }
    switch (button) {
    case TblButton::Add:
        startWork(Work::Add);
        return;
    case TblButton::Rename:
        startWork(Work::Rename);
        return;
    case TblButton::Delete:
        deleteEntry();
        return;
    case TblButton::MoveUp:
        moveEntry(-1);
        return;
    case TblButton::MoveDown:
        moveEntry(1);
        return;
    case TblButton::OK:
        confirm();
        return;
    case TblButton::Cancel:
        cancel();
        return;
    case TblButton::SwitchKind:
        switchKind();
        return;
    case TblButton::Help:
        help();
        return;
    }
}

void NameRegistration::ListClicked(int pane, int index) {
    if (m_closed) return;
    if (m_inputState == kInputRunning) finishInput(kInputCancelled, {});
    if (pane == kItemPane) {
        if (index >= 0 && index < static_cast<int>(m_screen.items[m_screen.kind].size()) &&
            index != m_screen.itemSel[m_screen.kind]) {
            m_screen.itemSel[m_screen.kind] = index;
            refill();
        }
        activate(kItemPane, false);
        return;
    }
    const auto& list = pane == kBrkDnPane ? m_screen.brkDn : m_screen.shop;
    const bool hit = index >= 0 && index < static_cast<int>(list.size());
    if (hit) setSelected(pane, index);
    activate(pane, !hit);
}

void NameRegistration::PaneClicked(int pane) {
    if (m_closed) return;
    if (m_inputState == kInputRunning) finishInput(kInputCancelled, {});
    activate(pane, pane != kItemPane);
}

bool NameRegistration::CloseRequested() {
    if (m_closed) return true;
    if (m_inputState == kInputRunning) {
        m_inputState = kInputCloseAsked;
        endInput();
    }
    cancel();
    return m_closed;
}

void NameRegistration::startWork(Work w) {
    const int pane = m_screen.activePane;
    const int wh = which(pane), kk = kindOrKey(pane);
    // The breakdown and shop panes belong to an item: without one there is nothing to edit.
    if (NameListCount(m_t, wh, kk) < 0) {
        m_dlg.Beep();
        return;
    }
    std::string text, help;
    if (w == Work::Add) {
        if (NameListCount(m_t, wh, kk) >= NameListMax(wh, kk)) {
            m_dlg.MsgOK(NameListFullMessage(wh, kk), kAddTitle);
            m_view.ReturnFocus();
            return;
        }
        help = "登録に追加する名称を入力して[Enter]を押してください。\r\n(中止なら[ESC])";
    } else {
        const int sel = selectedIndex(pane);
        if (sel < 0) {
            m_dlg.Beep();
            return;
        }
        const auto& list = pane == kItemPane    ? m_screen.items[m_screen.kind]
                           : pane == kBrkDnPane ? m_screen.brkDn
                                                : m_screen.shop;
        text = list[sel];
        help = "名称を変更して[Enter]を押してください。\r\n(中止なら[ESC])";
    }
    m_work = w;
    m_inputState = kInputRunning;
    m_inputStart = text;
    m_savedHelp = m_screen.help;
    m_screen.help = help;
    m_screen.inputPane = pane;
    refresh();
    m_view.SetInputText(text);
}

void NameRegistration::endInput() {
    m_screen.inputPane = -1;
    m_screen.help = m_savedHelp;
    m_work = Work::None;
    refresh();
}

void NameRegistration::finishInput(int state, const std::string& typed) {
    m_inputState = state;
    const std::string text = TrimRight(typed);
    if (state != kInputNone || text.empty() || text == TrimRight(m_inputStart)) {
        endInput();
        return;
    }
    const int pane = m_screen.activePane;
    const int wh = which(pane), kk = kindOrKey(pane), kind = m_screen.kind;
    const bool adding = m_work == Work::Add;
    // A name the file cannot hold is refused with its reason; the input stays open for correction.
    std::string why = CheckNameText(wh, text);
    if (why.empty() && AnsiByteLength(text) > nameBytes(wh)) {
        const int bytes = nameBytes(wh);
        why = "名称が長すぎます。\r\n" + ListName(pane, kind) + "は半角" + std::to_string(bytes) + "文字(全角" +
              std::to_string(bytes / 2) + "文字)までです。";
    }
    if (!why.empty()) {
        m_dlg.MsgOK(why, adding ? kAddTitle : kRenameTitle);
        m_inputState = kInputRunning;
        m_view.ReturnFocus();
        return;
    }

    const int sel = selectedIndex(pane);
    std::string question, title;
    if (adding) {
        question = "このデータを" + ListName(pane, kind) + "に追加してもよいですか？";
        title = "追加の確認";
    } else {
        question = ListName(pane, kind) + "の「" + TrimRight(m_inputStart) + "」をこの名称に変更してもよいですか？";
        if (pane == kItemPane)
            question += "\r\n\r\n[項目名]には関連した[内訳・備考][店名・相手先]が登録されています。\r\n"
                        "種類の違う[項目名]に変更すると、[内訳・備考][店名・相手先]が関連しなくなりますので\r\n"
                        "注意してください。 ";
        title = "変更の確認";
    }
    m_dlg.Beep();
    const bool yes = m_dlg.MsgBox(question, title, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
    endInput();
    if (!yes) return;
    if (adding) {
        const int position = AddName(m_t, wh, kk, text);
        if (position < 1) return;
        setSelected(pane, position - 1);
    } else if (RenameName(m_t, wh, kk, sel + 1, text) != 0) {
        return;
    }
    m_changed[wh] = true;
    refill();
    refresh();
}

void NameRegistration::deleteEntry() {
    const int pane = m_screen.activePane;
    const int wh = which(pane), kk = kindOrKey(pane);
    const int sel = selectedIndex(pane);
    const int count = NameListCount(m_t, wh, kk);
    if (sel < 0 || count < 1) {
        m_dlg.Beep();
        return;
    }
    if (count == 1) {
        m_dlg.MsgBox("登録データを全部削除することはできません。", "削除", MsgIcon::Critical, MsgButtons::OK);
        m_view.ReturnFocus();
        return;
    }
    const auto& list = pane == kItemPane    ? m_screen.items[m_screen.kind]
                       : pane == kBrkDnPane ? m_screen.brkDn
                                            : m_screen.shop;
    const std::string question =
        "「" + list[sel] + "」を" + ListName(pane, m_screen.kind) + "から削除してもよいですか？";
    m_dlg.Beep();
    if (m_dlg.MsgBox(question, "削除の確認", MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes) {
        m_view.ReturnFocus();
        return;
    }
    const int next = DeleteName(m_t, wh, kk, sel + 1);
    if (next < 0) return;
    setSelected(pane, next - 1);
    m_changed[wh] = true;
    refill();
    refresh();
}

void NameRegistration::moveEntry(int direction) {
    const int pane = m_screen.activePane;
    const int wh = which(pane), kk = kindOrKey(pane);
    const int sel = selectedIndex(pane);
    const int moved = sel < 0 ? 0 : MoveName(m_t, wh, kk, sel + 1, direction);
    if (moved == 0) {
        m_dlg.Beep();
        return;
    }
    setSelected(pane, moved - 1);
    m_changed[wh] = true;
    refill();
    refresh();
}

void NameRegistration::confirm() {
    m_result = std::any_of(m_changed.begin(), m_changed.end(), [](bool c) { return c; }) ? 1 : 0;
    m_dlg.CloseAllHelp();
    m_closed = true;
    m_view.HideWindow();
}

void NameRegistration::cancel() {
    if (std::any_of(m_changed.begin(), m_changed.end(), [](bool c) { return c; })) {
        if (m_dlg.MsgYesNo2("登録の変更をすべてキャンセルして作業を終了してもよいですか？", "登録変更キャンセルの確認",
                            1) != 0) {
            m_view.ReturnFocus();
            return;
        }
        m_result = -1;
    } else {
        m_result = 0;
    }
    m_dlg.CloseAllHelp();
    m_closed = true;
    m_view.HideWindow();
}

void NameRegistration::help() {
    m_dlg.Beep();
    m_dlg.ShowHelpTopic(HelpFile::Sub, kHelpTopic);
    m_view.ReturnFocus();
}

void TableRegst(NameTables& tables, Dialogs& dlg, NameRegistrationView& view, std::array<bool, 3>& changed,
                int& result) {
    NameRegistration reg(tables, dlg, view);
    reg.SetChanged(changed);
    reg.Open();
    view.RunModal(reg);
    changed = reg.Changed();
    result = reg.Result();
    // A window that went away without its own closing counts as cancelled.
    if (!reg.Closed()) result = std::any_of(changed.begin(), changed.end(), [](bool c) { return c; }) ? -1 : 0;
}

} // namespace mrt
