#pragma once
#include "screens/NameRegistration.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace mrt {

class Dialogs;
// The name registration window "項目名・内訳名・店名の登録": three panes (items with the
// income/expense switch, breakdowns, shops), the work buttons, confirm and cancel. It shows what
// NameRegistration decides and hands it every key, click and close request.
class frmTBL : public QDialog, public NameRegistrationView {
    Q_OBJECT
public:
    // keyInputMode: the settings' KeyInputMode for the input boxes (DOS type overwrites).
    // dialogs: the questions asked while the window is up are placed over it (may be null).
    frmTBL(QWidget* owner, int keyInputMode, Dialogs* dialogs = nullptr);
    ~frmTBL() override;

    void RunModal(NameRegistration& reg) override;
    void Refresh(const NameRegistrationScreen& screen) override;
    void SetInputText(const std::string& text) override;
    void ReturnFocus() override;
    void HideWindow() override;

    // Controls, for the window's tests.
    QListWidget* itemList(int kind) const { return m_lstITEM[kind]; }
    QListWidget* list(int pane) const;
    QLineEdit* inputBox(int pane) const { return m_txt[pane]; }
    QGroupBox* frame(int pane) const { return m_fra[pane]; }
    QLabel* kindLabel() const { return m_lblIO; }
    QLabel* incomeCount() const { return m_lblInItemQ; }
    QLabel* expenseCount() const { return m_lblOutItemQ; }
    QLabel* helpLabel() const { return m_lblOnePtHelp; }
    QToolButton* toolButton(int i) const { return m_cmdTool[i]; }
    QPushButton* okButton() const { return m_cmdOK; }
    QPushButton* cancelButton() const { return m_cmdCancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void FormSet();
    void FocusListBox();
    void FocusTextBox();
    std::string inputText() const;
    bool windowKey(QObject* watched, QKeyEvent* e);

    NameRegistration* m_reg = nullptr;
    NameRegistrationScreen m_screen;
    bool m_hiding = false;
    Dialogs* m_dialogs = nullptr;

    QLabel* m_lblOnePtHelp;
    QPushButton* m_cmdHelp;
    std::array<QToolButton*, 5> m_cmdTool{};
    std::array<QGroupBox*, 3> m_fra{};
    QLabel* m_lblIO;
    QPushButton* m_cmdIO;
    std::array<QListWidget*, 2> m_lstITEM{};
    QListWidget* m_lstBrkDn;
    QListWidget* m_lstShop;
    std::array<QLineEdit*, 3> m_txt{};
    QLabel* m_lblInItemQT;
    QLabel* m_lblInItemQ;
    QLabel* m_lblOutItemQT;
    QLabel* m_lblOutItemQ;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

} // namespace mrt
