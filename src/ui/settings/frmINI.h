#pragma once
#include "screens/SettingsWindow.h"
#include "ui/grid/CellEditBox.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QKeyEvent;

namespace mrt {

class Dialogs;
class GridView;

// The settings window "環境設定": the six settings in a two-column grid with an edit box over the
// value cell, the help line of the row, confirm and cancel. It shows what SettingsEditor decides
// and hands it every key, click and close request.
class frmINI : public QDialog, public SettingsWindowView {
    Q_OBJECT
public:
    // dialogs: the questions asked while the window is up are placed over it (may be null).
    frmINI(QWidget* owner, int keyInputMode, Dialogs* dialogs = nullptr);
    ~frmINI() override;

    void Attach(SettingsEditor& editor) override;
    void RunModal(SettingsEditor& editor) override;
    void ShowEditBox(int row, int col, const std::string& text, int caret) override;
    void HideEditBox() override;
    void SetEditText(const std::string& text) override;
    void FocusEditBox() override;
    void FocusOK() override;
    void SetHelpLine(const std::string& text) override;
    void HideWindow() override;

    // Controls, for the window's tests.
    GridView* grid() const { return m_fxgMX; }
    QLineEdit* editBox() const { return m_txtEdit; }
    QLabel* helpLine() const { return m_lblOnePtHelp; }
    QPushButton* okButton() const { return m_cmdOK; }
    QPushButton* cancelButton() const { return m_cmdCancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void layOut();
    std::string editText() const;
    bool altF4();

    SettingsEditor* m_editor = nullptr;
    bool m_hiding = false;
    CellBoxOverGrid m_box; // m_txtEdit over one cell of m_fxgMX
    Dialogs* m_dialogs = nullptr;
    GridView* m_fxgMX = nullptr;
    QLineEdit* m_txtEdit;
    QLabel* m_lblOnePtHelp;
    QPushButton* m_cmdHelp;
    QWidget* m_picMENU;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

} // namespace mrt
