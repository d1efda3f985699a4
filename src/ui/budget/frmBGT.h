#pragma once
#include "screens/BudgetWindow.h"
#include "ui/grid/CellEditBox.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mrt {

class Dialogs;
class GridView;

// The budget window "予算表の登録": one page of amounts in a grid with an edit box over the
// current cell, the page sum below it, the page caption, and the page commands. It shows what
// BudgetPageEditor decides and hands it every key, click and close request.
class frmBGT : public QDialog, public BudgetWindowView {
    Q_OBJECT
public:
    // dialogs: the questions asked while the window is up are placed over it (may be null).
    frmBGT(QWidget* owner, int keyInputMode, Dialogs* dialogs = nullptr);
    ~frmBGT() override;

    void Attach(BudgetPageEditor& editor) override;
    void RunModal(BudgetPageEditor& editor) override;
    void ShowEditBox(int row, int col, const std::string& text, int caret) override;
    void HideEditBox() override;
    void SetEditText(const std::string& text) override;
    void FocusEditBox() override;
    void FocusOK() override;
    void HideWindow() override;

    // Number of pages shown so far (each page is one modal showing).
    int PagesShown() const { return m_pagesShown; }

    // Controls, for the window's tests.
    GridView* grid() const { return m_fxgMX; }
    GridView* sumGrid() const { return m_fxgMxT; }
    QLineEdit* editBox() const { return m_txtEdit; }
    QLabel* caption() const { return m_lblDataMsg; }
    QLabel* incomeCount() const { return m_lblInItemQ; }
    QLabel* expenseCount() const { return m_lblOutItemQ; }
    QLabel* helpLabel() const { return m_lblOnePtHelp; }
    QPushButton* toolButton(int i) const { return m_cmdTool[i]; }
    QPushButton* okButton() const { return m_cmdOK; }
    QPushButton* cancelButton() const { return m_cmdCancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void layOut();
    void dropGrids();
    std::string editText() const;
    bool altF4();

    BudgetPageEditor* m_editor = nullptr;
    bool m_hiding = false;
    int m_pagesShown = 0;
    CellBoxOverGrid m_box; // m_txtEdit over one cell of m_fxgMX
    Dialogs* m_dialogs = nullptr;
    QWidget* m_picHelp;
    QLabel* m_lblOnePtHelp;
    QPushButton* m_cmdHelp;
    QWidget* m_picBG;
    QLabel* m_lblDataMsg;
    QLabel* m_lblInItemQT;
    QLabel* m_lblInItemQ;
    QLabel* m_lblOutItemQT;
    QLabel* m_lblOutItemQ;
    std::array<QPushButton*, 3> m_cmdTool{};
    GridView* m_fxgMX = nullptr;
    GridView* m_fxgMxT = nullptr;
    QLineEdit* m_txtEdit;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

} // namespace mrt
