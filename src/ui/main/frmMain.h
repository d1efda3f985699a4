#pragma once
#include "app/Command.h"
#include "grid/GridModel.h"

#include <QMainWindow>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QAction;
class QKeyEvent;

namespace mrt {

class GridView;
class ChoiceBox;

// What the window's menu items and buttons ask of the ledger editing behind them. The window only
// stores commands in MenuSel; everything that decides lives behind this interface.
class MainActions {
public:
    virtual ~MainActions() = default;
    // 0 = go on (sorting first when the user agrees); non-zero = the user declined.
    virtual int PreSortCheck() = 0;
    // 0 = go on with the exit; ask = false skips the plain exit question.
    virtual int ExitCheck(bool ask) = 0;
    virtual void FocusKeep(int mode) = 0;
    virtual void ForcedSave() = 0;
    // The editing commands of the edit menu: SortByDate .. MoveToDate, Undo, Redo.
    virtual void EditCommand(Command command) = 0;
    virtual void EditWorkMenu() = 0;
    // Tool button 0: abandon the entry in progress.
    virtual void CancelEntry() = 0;
    virtual int HelpTopic() const = 0;
    // Tab while the item box is open: switch income/expense. True when consumed.
    virtual bool TabInItemBox() = 0;
    // Work-selection lists of F4 and F5: the chosen command, Command::None when nothing was chosen.
    virtual Command ChooseRegistration() = 0;
    virtual Command ChooseAuxiliary() = 0;
    virtual void Beep() = 0;
    virtual void ShowHelp(int topic) = 0;
    virtual bool HelpOpen() const = 0;
    virtual void CloseAllHelp() = 0;
    // A key arrived while the focus had strayed from the control taking input: give it back.
    virtual void ReturnFocus() = 0;
};

// The main ledger window: menu bar, help strip, tool buttons, the ledger grid with its edit box
// and choice boxes, title, menu buttons and date labels.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    void SetActions(MainActions* actions) { m_actions = actions; }

    Command MenuSel = Command::None;

    void MenuInit();
    void FormColSet();
    // flag 0: full layout with panel sizing; nonzero: relayout after a window-state change.
    // The first full layout centres the window on its screen; later ones keep it where the user
    // put it.
    void FormSet(int flag);
    // True once the window has a place (centred by the first layout, or given by PlaceAt).
    bool Placed() const { return m_placed; }
    // Puts the window's frame at `topLeft`, pulled back inside the screen's available area, and
    // keeps it there.
    void PlaceAt(QPoint topLeft);
    // Centres the window (with its frame) horizontally, 100 twips above the middle of the
    // available area, and keeps it there.
    void Centre();
    void MenuBG();
    void ToolBtnOnOff(bool on, int index);
    void MenuBtnOnOff(bool on, int index);

    // The date labels: registered range, range on screen (texts made by the caller), today.
    void SetDateLabels(const QString& registered, const QString& shown, const QString& today);
    void SetOnePointHelp(const QString& text);

    // Fixed-cell style while a command runs (false) and while the user edits (true).
    void SetFixedStyleFlat(bool flat);
    bool FixedStyleFlat() const { return m_flat; }

    // Lets the window close for real (program end); the close box otherwise asks the exit question.
    void CloseForReal();

    GridView* grid() const { return m_fxgMX; }
    QLineEdit* editBox() const { return m_txtEdit; }
    QListWidget* itemList(int kind) const { return m_lstITEM[kind]; }
    ChoiceBox* itemBox(int kind) const { return m_cboITEM[kind]; }
    ChoiceBox* breakdownBox() const { return m_cboBrkDn; }
    ChoiceBox* shopBox() const { return m_cboShop; }
    QPushButton* itemSwitchButton() const { return m_cmdITEM; }
    QLabel* itemBoxLabel() const { return m_lblIO; }
    QWidget* itemPanel() const { return m_picIO; }
    QPushButton* menuButton(int i) const { return m_cmdMenu[i]; }
    QPushButton* toolButton(int i) const { return m_cmdTool[i]; }
    QAction* menuAction(Command command) const;
    QLabel* onePointHelp() const { return m_lblOnePtHelp; }
    QLabel* registeredDateLabel() const { return m_lblRegDate; }
    QLabel* shownDateLabel() const { return m_lblDspDate; }

    // Menu buttons 0..4 (F2, F3, F4, F5, F12) and tool button 1 (F11) as a key or click runs them.
    void PressMenuButton(int index);

signals:
    // MenuSel was set.
    void CommandChosen();

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void menuItem(Command command);
    void chooseCommand(Command command, int buttonIndex);
    // Handles the window's own keys; true when consumed.
    bool windowKey(QKeyEvent* e);
    // True for the controls that take the user's input (grid, edit box, choice box fields).
    bool isInputWidget(const QWidget* w) const;
    // Ctrl+key of a menu item that is not a clipboard command.
    bool isMenuShortcut(const QKeyEvent* ke) const;
    void subHelp();

    MainActions* m_actions = nullptr;
    bool m_flat = true;
    bool m_closingForReal = false;
    bool m_layoutRunning = false;
    // A strayed key is being handed to the input control (never hand it on twice).
    bool m_redirecting = false;
    bool m_firstResizeSeen = false;
    bool m_placed = false;
    Qt::WindowStates m_lastState;

    QWidget* m_central;
    QWidget* m_picBG;
    QWidget* m_picHelpFrame;
    QLabel* m_lblOnePtHelp;
    QPushButton* m_cmdSubHelp;
    QWidget* m_picTool;
    QLabel* m_lblToolTitle;
    std::array<QPushButton*, 2> m_cmdTool{};
    QWidget* m_picGrid;
    GridView* m_fxgMX;
    QLineEdit* m_txtEdit;
    QWidget* m_picIO;
    QLabel* m_lblIO;
    QPushButton* m_cmdITEM;
    std::array<QListWidget*, 2> m_lstITEM{};
    std::array<ChoiceBox*, 2> m_cboITEM{};
    ChoiceBox* m_cboBrkDn;
    ChoiceBox* m_cboShop;
    QLabel* m_picTitle;
    QLabel* m_picICON;
    QWidget* m_picMENU;
    QLabel* m_lblMenuTitle;
    std::array<QPushButton*, 5> m_cmdMenu{};
    QLabel* m_lblRegDateT;
    QLabel* m_lblRegDate;
    QLabel* m_lblDspDateT;
    QLabel* m_lblDspDate;
    QLabel* m_lblDateT;
    QLabel* m_lblDate;
    std::vector<std::pair<Command, QAction*>> m_menuActions;
};

} // namespace mrt
