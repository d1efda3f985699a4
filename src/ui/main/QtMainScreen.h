#pragma once
#include "app/AppScreens.h"
#include "app/EditorView.h"
#include "ledger/LedgerSheet.h"
#include "ui/main/frmMain.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <array>
#include <memory>
#include <optional>

class QListWidget;

namespace mrt {

class Dialogs;
class LedgerEditor;
class frmSplash;
class ChoiceBox;

// The Qt main window as the command loop sees it (MainScreen), as the editor sees it (EditorView)
// and the other way round (MainActions): keys, clicks and scrolling go to the LedgerEditor.
class QtMainScreen : public QObject, public MainScreen, public MainActions, public EditorView {
    Q_OBJECT
public:
    QtMainScreen(Dialogs& dlg);
    ~QtMainScreen() override;

    // The program is to end now (a signal, the end of the desktop session): open dialogs close as
    // cancelled, later questions get their cancel answer without a window, and the editing period
    // ends as the exit command ends it, saving the block; the command loop then leaves.
    void EndNow(AppState& app);
    bool EndRequested() const { return m_endRequested; }

    frmMain* window() const { return m_win.get(); }
    LedgerEditor* editor() const { return m_editor.get(); }
    AppState* app() const { return m_app; }

    // MainScreen
    void SplashOn() override;
    void SplashOff() override;
    void SetUpMainWindow(AppState& app) override;
    bool FixedStyleFlat() const override;
    void SetFixedStyleFlat(bool flat) override;
    int RunLedgerEditing(AppState& app) override;
    int WindowState() const override;
    void SetWindowState(int state) override;
    void Unload() override;

    // MainActions
    int PreSortCheck() override;
    int ExitCheck(bool ask) override;
    void FocusKeep(int mode) override;
    void ForcedSave() override;
    void EditCommand(Command command) override;
    void EditWorkMenu() override;
    void CancelEntry() override;
    int HelpTopic() const override;
    bool TabInItemBox() override;
    Command ChooseRegistration() override;
    Command ChooseAuxiliary() override;
    void Beep() override;
    void ShowHelp(int topic) override;
    bool HelpOpen() const override;
    void CloseAllHelp() override;
    void ReturnFocus() override;

    // EditorView
    void ShowEditBox(int row, int col, ImeMode ime, int maxBytes) override;
    void HideEditBox() override;
    void SetEditText(const std::string& text, int caret, int selLength) override;
    bool ReadEditBox(std::string& text, int& caret) const override;
    void ShowChoiceBox(InputCtrl box, int row, int col, const std::vector<std::string>& entries, int selected,
                       const std::string& text) override;
    void ReadChoiceBox(int& selected, std::string& text) const override;
    void ShowItemSwitch(int kind, const std::vector<std::string>& otherKindList) override;
    void HideChoiceBoxes() override;
    bool DropDownFits(int row, int dropRows) const override;
    void SetOnePointHelp(const std::string& text) override;
    void RefreshDateLabels(const std::string& registered, const std::string& displayed) override;
    void Focus(InputCtrl ctrl) override;
    void SetButtonsEnabled(bool on) override;
    void SetEditBoxWhite(bool white) override;
    void ProcessEvents() override;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildWindow();
    // Sets up the grid for `rows` rows and lays the window out, with fewer rows while the window
    // does not fit the screen's height. Returns the rows shown.
    int layOutRows(const TextMeasure& measure, int rows);
    ChoiceBox* boxFor(InputCtrl box) const;
    bool editBoxKey(QKeyEvent* ke);

    Dialogs& m_dlg;
    AppState* m_app = nullptr;
    std::unique_ptr<frmMain> m_win;
    std::unique_ptr<LedgerEditor> m_editor;
    std::unique_ptr<frmSplash> m_splash;
    InputCtrl m_openBox = InputCtrl::Grid;
    int m_pendingState = -1;
    bool m_inEditing = false;
    // Where the user had the window (frame top-left) when it was last unloaded: a rebuilt window
    // (after a restore or a layout change) comes back there.
    std::optional<QPoint> m_lastPlace;
    QSize m_lastSize;
    // The rows last shown in place of DisplayRows, said once.
    int m_rowsAnnounced = 0;
    bool m_endRequested = false;
};

} // namespace mrt
