#pragma once
#include "receipt/ReceiptLines.h"
#include "receipt/ReceiptParse.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTextEdit;

namespace mrt {

class Dialogs;
struct AppState;

// The receipt reader's preview: the image on the left; on the right the text as read (places the
// engine was unsure of in yellow), what the checks found, and the proposed lines, which the user
// may correct cell by cell (F2 or typing) before Enter adds them all, or none, through the import.
class frmReceipt : public QDialog {
    Q_OBJECT
public:
    frmReceipt(AppState& app, Dialogs& dlg, const std::string& imagePath, QWidget* owner = nullptr);

    // Reads the image (under the wait window). False after the message when it cannot be read.
    bool ReadImage();

    QTableWidget* Lines() const { return m_lines; }
    QComboBox* Split() const { return m_split; }
    QPushButton* AddButton() const { return m_add; }
    QTextEdit* ReadText() const { return m_text; }
    const ReadReceipt& Receipt() const { return m_receipt; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void propose();
    void addNow();

    AppState& m_app;
    Dialogs& m_dlg;
    std::string m_path;
    ReadReceipt m_receipt;
    QLabel* m_image;
    QTextEdit* m_text;
    QLabel* m_checks;
    QComboBox* m_split;
    QTableWidget* m_lines;
    QPushButton* m_add;
};

// A window showing a kept receipt image (Esc closes it).
void ShowReceiptImage(const std::string& path, QWidget* owner);

} // namespace mrt
