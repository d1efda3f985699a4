#pragma once
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mrt {

class Dialogs;
struct AppState;

// The CSV export window: the ledger lines of a date range, or the budget of a year, into a file,
// in UTF-8 with a byte order mark (the default, which spreadsheets open correctly), UTF-8, or
// Shift-JIS.
class frmCsvExport : public QDialog {
    Q_OBJECT
public:
    frmCsvExport(const AppState& app, Dialogs& dlg, QWidget* owner = nullptr);

    QComboBox* ContentBox() const { return m_content; }
    QLineEdit* YearField() const { return m_year; }
    QLineEdit* FromField() const { return m_from; }
    QLineEdit* ToField() const { return m_to; }
    QComboBox* EncodingBox() const { return m_encoding; }
    QLineEdit* PathField() const { return m_path; }
    QPushButton* ExportButton() const { return m_export; }

protected:
    // F1 shows the help page of search and CSV.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void browse();
    void exportNow();
    void contentChanged();

    const AppState& m_app;
    Dialogs& m_dlg;
    QComboBox* m_content;
    QLineEdit* m_year;
    QLabel* m_columns;
    QLineEdit* m_from;
    QLineEdit* m_to;
    QComboBox* m_encoding;
    QLineEdit* m_path;
    QPushButton* m_export;
};

} // namespace mrt
