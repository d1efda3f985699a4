#pragma once
#include "screens/MedicalScreen.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace mrt {

struct AppState;

// The medical-expense form window: the year's payments per person and payee, corrected by
// keyboard (who was treated, the category, what insurance paid back), with the deduction
// estimate, written as the tax return's spreadsheet or as CSV.
class frmMedical : public QDialog {
    Q_OBJECT
public:
    frmMedical(const AppState& app, Dialogs& dlg, QWidget* owner = nullptr);

    enum Column { ColPerson, ColPayee, ColCategory, ColAmount, ColReimbursed, ColDate, ColLines, ColCount };

    MedicalScreen& Screen() { return m_screen; }
    QTableWidget* Table() const { return m_table; }
    QLineEdit* YearField() const { return m_year; }
    QLineEdit* PathField() const { return m_path; }
    QLabel* Summary() const { return m_summary; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void collect();
    void refresh();
    void cellEdited(int row, int column);
    void exportXlsx();
    void exportCsv();

    Dialogs& m_dlg;
    MedicalScreen m_screen;
    QLineEdit* m_year;
    QLineEdit* m_items;
    QLineEdit* m_persons;
    QLineEdit* m_income;
    QLineEdit* m_path;
    QTableWidget* m_table;
    QLabel* m_summary;
    bool m_filling = false;
};

} // namespace mrt
