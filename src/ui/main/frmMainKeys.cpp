// The main window's commands and keys: the menu items and menu buttons, the function keys, and
// the key filter that keeps every key going to its control once.
#include "ui/grid/GridView.h"
#include "ui/main/ChoiceBox.h"
#include "ui/main/MainMenu.h"
#include "ui/main/WindowHelpers.h"
#include "ui/main/frmMain.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace mrt {

void frmMain::chooseCommand(Command command, int buttonIndex) {
    MenuSel = command;
    if (buttonIndex >= 0) {
        ToolBtnOnOff(false, -1);
        MenuBtnOnOff(false, -1);
        MenuBtnOnOff(true, buttonIndex);
    }
    emit CommandChosen();
}

void frmMain::PressMenuButton(int index) {
    if (!m_actions || !m_cmdMenu[index]->isEnabled() || MenuSel != Command::None) return;
    switch (index) {
    case 0:
        if (m_actions->PreSortCheck() != 0) return;
        chooseCommand(Command::Totals, 0);
        return;
    case 1:
        m_actions->PreSortCheck();
        chooseCommand(Command::Print, 1);
        return;
    case 2:
    case 3: {
        if (m_actions->PreSortCheck() != 0) return;
        m_actions->FocusKeep(1);
        const Command command = index == 2 ? m_actions->ChooseRegistration() : m_actions->ChooseAuxiliary();
        if (command == Command::None) {
            m_actions->FocusKeep(2);
            return;
        }
        chooseCommand(command, index);
        return;
    }
    case 4:
        if (m_actions->ExitCheck(true) != 0) return;
        chooseCommand(Command::Exit, 4);
        return;
    default:
        return;
    }
}

void frmMain::menuItem(Command command) {
    if (!m_actions || MenuSel != Command::None) return;
    switch (command) {
    case Command::Undo:
    case Command::Redo:
        m_actions->EditCommand(command);
        return;
    case Command::Cut:
    case Command::Copy:
    case Command::Paste: {
        m_actions->FocusKeep(0);
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (command == Command::Cut)
            CutSelection(edit);
        else if (command == Command::Copy)
            CopySelection(edit);
        else
            PasteSelection(edit);
        m_actions->FocusKeep(2);
        return;
    }
    case Command::SortByDate:
    case Command::DeleteLine:
    case Command::InsertLine:
    case Command::MoveToDate:
    case Command::EditForcedSave:
        m_actions->FocusKeep(0);
        m_actions->FocusKeep(1);
        if (command == Command::EditForcedSave) {
            if (m_actions->PreSortCheck() == 0) m_actions->ForcedSave();
            m_actions->Beep();
        } else {
            m_actions->EditCommand(command);
        }
        m_actions->FocusKeep(2);
        return;
    case Command::OpenReceipt:
        m_actions->FocusKeep(1);
        m_actions->OpenReceipt();
        m_actions->FocusKeep(2);
        return;
    case Command::ForcedSave:
        m_actions->FocusKeep(1);
        if (m_actions->PreSortCheck() == 0) m_actions->ForcedSave();
        m_actions->Beep();
        m_actions->FocusKeep(2);
        return;
    case Command::Backup:
    case Command::Restore:
        if (m_actions->PreSortCheck() == 0) chooseCommand(command, -1);
        return;
    case Command::StartDate:
        chooseCommand(command, -1);
        return;
    case Command::Print:
        m_actions->PreSortCheck();
        chooseCommand(command, -1);
        return;
    case Command::Exit:
        if (m_actions->ExitCheck(false) == 0) chooseCommand(command, -1);
        return;
    case Command::SwitchBook:
    case Command::AddBook:
    case Command::TransferEntry:
    case Command::ExportCsv:
    case Command::ImportCsv:
    case Command::MedicalForm:
    case Command::ImportStatement:
    case Command::ReadReceipt:
    case Command::Totals:
    case Command::YearReport:
    case Command::Search:
    case Command::NameRegistration:
    case Command::BudgetRegistration:
    case Command::RecurringRegistration:
    case Command::DueLines:
    case Command::ShopRules:
    case Command::Settings:
        if (m_actions->PreSortCheck() == 0) chooseCommand(command, -1);
        return;
    case Command::LineToRecurring: {
        IoRecord line;
        if (!m_actions->CurrentLine(line)) {
            m_actions->Beep();
            return;
        }
        PendingRecurringLine = line;
        chooseCommand(command, -1);
        return;
    }
    case Command::Help:
    case Command::Version:
        chooseCommand(command, -1);
        return;
    default:
        return;
    }
}

void frmMain::subHelp() {
    if (!m_actions) return;
    m_actions->FocusKeep(0);
    int topic = m_actions->HelpTopic();
    m_actions->Beep();
    m_actions->ShowHelp(topic);
}

bool frmMain::windowKey(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_F4 && (e->modifiers() & Qt::AltModifier)) {
        if (m_actions && m_actions->HelpOpen()) {
            m_actions->CloseAllHelp();
            return true;
        }
        return false;
    }
    switch (key) {
    case Qt::Key_F1:
        subHelp();
        return true;
    case Qt::Key_F2:
        PressMenuButton(0);
        return true;
    case Qt::Key_F3:
        PressMenuButton(1);
        return true;
    case Qt::Key_F4:
        PressMenuButton(2);
        return true;
    case Qt::Key_F5:
        PressMenuButton(3);
        return true;
    case Qt::Key_F12:
        PressMenuButton(4);
        return true;
    case Qt::Key_F11:
        if (m_actions && m_cmdTool[1]->isEnabled()) m_actions->EditWorkMenu();
        return true;
    case Qt::Key_Tab:
        return m_actions && m_picIO->isVisible() && m_actions->TabInItemBox();
    default:
        return false;
    }
}

bool frmMain::eventFilter(QObject* obj, QEvent* e) {
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) {
        auto* w = qobject_cast<QWidget*>(obj);
        // Only keys for this window (not for a dialog in front of it) are the window's.
        if (w && w->window() == this && QApplication::activeModalWidget() == nullptr) {
            auto* ke = static_cast<QKeyEvent*>(e);
            if (e->type() == QEvent::ShortcutOverride) {
                // Function keys must reach the window before any shortcut or control takes them.
                const int k = ke->key();
                if ((k >= Qt::Key_F1 && k <= Qt::Key_F12) || k == Qt::Key_Tab) {
                    ke->accept();
                    return false;
                }
                // The menu's own shortcuts (Ctrl+S, Ctrl+Y ...) win over a text box that would take
                // them (Ctrl+Y is a text box's redo); the clipboard keys stay with the box.
                if (isMenuShortcut(ke)) {
                    ke->ignore();
                    return true;
                }
                return false;
            }
            // A key that a control ignored travels up through its parents; only its first delivery
            // (to the focus widget, or to the window when nothing has the focus) is the user's key.
            // Sending a travelling key back to the focus widget would start it over without end.
            QWidget* focus = QApplication::focusWidget();
            const bool firstDelivery = focus ? w == focus : w == this;
            if (!firstDelivery || m_redirecting) return QMainWindow::eventFilter(obj, e);
            if (windowKey(ke)) return true;
            if (m_actions && !isInputWidget(w) && !IsModifierKey(ke->key())) {
                m_actions->ReturnFocus();
                QWidget* now = QApplication::focusWidget();
                // The key then goes to the control that takes input, as if typed there.
                if (now && now != w && isInputWidget(now)) {
                    QKeyEvent copy(ke->type(), ke->key(), ke->modifiers(), ke->text(), ke->isAutoRepeat(), ke->count());
                    m_redirecting = true;
                    QApplication::sendEvent(now, &copy);
                    m_redirecting = false;
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

bool frmMain::isMenuShortcut(const QKeyEvent* ke) const {
    if (!(ke->modifiers() & Qt::ControlModifier) || IsModifierKey(ke->key())) return false;
    const QKeySequence pressed(ke->keyCombination());
    for (const auto& [command, a] : m_menuActions) {
        const bool clipboard = command == Command::Cut || command == Command::Copy || command == Command::Paste;
        if (!clipboard && a->isEnabled() && a->shortcut() == pressed) return true;
    }
    return false;
}

bool frmMain::isInputWidget(const QWidget* w) const {
    if (w == m_fxgMX || w == m_fxgMX->viewport() || w == m_txtEdit) return true;
    for (ChoiceBox* c : {m_cboITEM[0], m_cboITEM[1], m_cboBrkDn, m_cboShop})
        if (w == c->field() || w == c->list()) return true;
    return false;
}

} // namespace mrt
