#pragma once
#include "ledger/LedgerImport.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace mrt {

class Dialogs;
struct AppState;

// The preview of a CSV import: every line of the file with what the checks found (bad lines in
// red with their reason), the choice to register unknown items, and the import button, which
// stays off while any line is bad (an import is all or nothing).
class frmCsvImport : public QDialog {
    Q_OBJECT
public:
    frmCsvImport(AppState& app, Dialogs& dlg, const std::string& path, std::string bytes, QWidget* owner = nullptr);

    const ImportPlan& Plan() const { return m_plan; }
    QTableWidget* Rows() const { return m_rows; }
    QCheckBox* RegisterBox() const { return m_register; }
    QPushButton* ImportButton() const { return m_import; }
    QLabel* Summary() const { return m_summary; }

protected:
    // F1 shows the help page of search and CSV.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void replan();
    void importNow();

    AppState& m_app;
    Dialogs& m_dlg;
    std::string m_bytes;
    ImportPlan m_plan;
    QTableWidget* m_rows;
    QCheckBox* m_register;
    QPushButton* m_import;
    QLabel* m_summary;
};

} // namespace mrt
