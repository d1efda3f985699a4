#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

namespace mrt {

class GridView;

// The work-selection list: a short list of tasks, one per line, under a title.
class frmSelect : public QDialog {
    Q_OBJECT
public:
    explicit frmSelect(QWidget* owner);

    // lstNm: 1-based line selected at opening (held within 1..sel.size()); set to the chosen line
    // when one is chosen. Result: the chosen line, or -1 when cancelled.
    int SubMenu(const QString& ttl, int& lstNm, const QStringList& sel);
    // As SubMenu with a help topic of the secondary help file for F1 and the help button.
    int SubMenuH(const QString& ttl, int& lstNm, const QStringList& sel, int hid);

    // Controls, for the windows' tests.
    GridView* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* HelpButton() const { return m_help; }
    QLabel* MsgHelpLabel() const { return m_msgHelp; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    int run(const QString& ttl, int& lstNm, const QStringList& sel, int hid);
    bool handleKey(QKeyEvent* e);
    void confirm();
    void cancel();
    void openHelp();

    GridView* m_list;
    QLabel* m_msgHelp;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_help;
    bool m_cancelled = true;
    int m_helpTopic = 0;
};

} // namespace mrt
