#pragma once
#include <QColor>
#include <QDialog>
#include <QStringList>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mrt {

// Small modal dialog asking for one or more short values, each a labelled text box, under a
// message line, with a confirm and a cancel button. The date questions are built on it.
class frmDIN : public QDialog {
    Q_OBJECT
public:
    frmDIN(QWidget* owner, int keyInputMode);

    // Shows `names.size()` fields holding `values`, laid out colQ to a row. x, y in twips: both 0
    // centres on the screen; otherwise an x below 1 reuses where the dialog was last closed.
    // maxLengths (optional, per field) limits the characters of a field. 0 = confirmed (values
    // updated), -1 = cancelled (values unchanged).
    int DataInXDate(const QStringList& names, QStringList& values, const QString& msg, const QString& ttl,
                    const QString& cmd1, const QString& cmd2, int x, int y, int colQ,
                    const std::vector<int>& maxLengths = {});
    // Window background, field-label background and button background.
    void SetDinColor(int dinQ, const QColor& col1, const QColor& col2, const QColor& col3);

    // in "yyyy/mm/dd" or "yy/mm/dd" (any separator); out in the same form. Asks again, with a
    // beep, until the answer is a real date. 0 = out set, -1 = cancelled (out unchanged).
    int DateInYMD(const QString& msg, const QString& in, QString& out);
    // in "yyyy/mm" or "yy/mm"; the month must be 1..12.
    int DateInYM(const QString& msg, const QString& in, QString& out);

    // Controls, for the windows' tests.
    QLineEdit* Field(int i) const;
    int FieldCount() const { return static_cast<int>(m_fields.size()); }
    QLabel* MessageLabel() const { return m_msg; }
    QLabel* HintLabel() const { return m_hint; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void layoutFields(const QStringList& names, const QStringList& values, int colQ,
                      const std::vector<int>& maxLengths);

    int m_keyInputMode;
    bool m_cancelled = true;
    QLabel* m_msg;
    QLabel* m_hint;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    std::vector<QLabel*> m_labels;
    std::vector<QLineEdit*> m_fields;
    QColor m_background;
};

} // namespace mrt
