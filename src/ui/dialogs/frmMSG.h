#pragma once
#include "ui/dialogs/InputRange.h"

#include <QColor>
#include <QDialog>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace mrt {

// The message, question, input and list window. One instance serves one modal call (or one
// MsgOn..MsgOff span); the owner window is the placement reference (none = the screen).
class frmMSG : public QDialog {
    Q_OBJECT
public:
    enum Mode { kNoButtons = 0, kButtons = 1, kInput = 2, kList = 3 };

    frmMSG(QWidget* owner, int keyInputMode);

    // Button (1-based) that ended the dialog; 0 when it was closed otherwise.
    int SelNm = 0;
    // Button (0-based) that takes the focus when the window opens; reset by every layout.
    int FocusNm = 0;

    // Lays the window out without showing it. sel: button captions (empty for picture buttons,
    // see SetPictures). Placement codes x, y as the dialogs port describes.
    void MsgKelset(const QStringList& sel, const QString& msg, const QString& ttl, int x, int y, Mode mode);
    // Picture numbers for the next layout's buttons; an empty list returns to captions.
    void SetPictures(const std::vector<int>& pictures) { m_pictures = pictures; }
    void SetMsgColor(const QColor& window, const QColor& buttons);

    void MsgOK(const QString& msg, const QString& ttl, int x = 0, int y = 0);
    int MsgYesNo(const QString& msg, const QString& ttl);
    int MsgYesNo2(const QString& msg, const QString& ttl, int fnm);
    int MsgYesNoBtn(const QString& msg, const QString& ttl);
    int MsgKel(const QStringList& sel, const QString& msg, const QString& ttl, int x = 0, int y = 0);
    int MsgKel2(const QStringList& sel, const QString& msg, const QString& ttl, int x, int y, int fnm);
    int MsgKelBtn(const std::vector<int>& btnNm, const QString& msg, const QString& ttl, int x = 0, int y = 0);
    // maxInput: the longest text in characters; -1 takes the initial text's length.
    int InputKel(QString& txt, const QString& msg, const QString& ttl, int x, int y, const QString& check,
                 int maxInput = -1);
    int ListKel(const QStringList& dt, int nm, const QString& msg, const QString& ttl, int x = 0, int y = 0);
    int ListKelBtn(const QStringList& dt, int nm, const QString& msg, const QString& ttl, int x = 0, int y = 0);
    // Not modal: shows the window in the middle of the screen, painted before returning.
    void MsgOn(const QString& msg, const QString& ttl);
    void MsgOff();

    // Controls, for the windows' tests.
    QLineEdit* TextBox() const { return m_text; }
    QListWidget* List() const { return m_list; }
    QLabel* MessageLabel() const { return m_msg; }
    QLabel* HintLabel() const { return m_hint; }
    QLabel* IconLabel() const { return m_icon; }
    QPushButton* Button(int index) const;
    int ButtonCount() const { return m_shownButtons; }

    static QString YesCaption();
    static QString NoCaption();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    int runModal();
    void showHint();
    void place(int x, int y);
    void pressButton(int index);
    void moveButtonFocus(int step);
    QPushButton* makeButton();

    int m_keyInputMode;
    QLabel* m_icon;
    QLabel* m_msg;
    QLineEdit* m_text;
    QListWidget* m_list;
    QLabel* m_hint;
    std::vector<QPushButton*> m_buttons;
    std::vector<int> m_pictures;
    int m_shownButtons = 0;
    int m_maxInput = 0;
    Mode m_mode = kButtons;
    QColor m_buttonColor;
    bool m_frameless = false;
};

} // namespace mrt
