#pragma once
#include "print/PrintSettings.h"

#include <QDialog>
#include <QString>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mrt {

// Where a printout goes, as chosen in the print settings dialog.
struct PrintOutputChoice {
    QString printerName; // a system printer; empty for a PDF file
    bool pdf = false;
    bool preview = false; // show the pages first ([プレビュー])
    QString pdfPath;      // when set, the PDF is written here without asking
};

// The output entry of a PDF file in the dialog's list.
QString PdfOutputName();

// The system's printers (CUPS) and the default one (empty when none is installed).
QStringList SystemPrinters(QString* defaultName);

// The print settings dialog: the date rows, title, user name, start position, paper, and where
// the pages go (a printer or a PDF file), printed at once or shown first.
class frmPr : public QDialog {
    Q_OBJECT
public:
    frmPr(QWidget* owner, int keyInputMode);

    // Shows the values modally. On [印刷], [プレビュー] or F12 copies the answers back (and the
    // output into `output`), remembers the dialog's place and returns 0; -1 when cancelled.
    int PrSetDataIn(PrSetData& data, PrintOutputChoice& output);

    // Controls, for the window's tests.
    QLineEdit* DateBox(int i) const;
    QLineEdit* TitleBox() const { return m_txtTitle; }
    QLineEdit* UserBox() const { return m_txtUsr; }
    QLineEdit* PosBox(int i) const { return m_txtPos[i]; }
    QRadioButton* PaperOption(int i) const { return m_optPPsize[i]; }
    QComboBox* OutputBox() const { return m_cboOut; }
    QPushButton* OkButton() const { return m_cmdOK; }
    QPushButton* PreviewButton() const { return m_cmdPreview; }
    QPushButton* CancelButton() const { return m_cmdCancel; }
    QLabel* MessageLabel() const { return m_msg; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void build(const PrSetData& data, const PrintOutputChoice& output);
    void confirm(bool preview);
    void cancel();
    QLineEdit* newBox(QWidget* parent);

    int m_keyInputMode;
    bool m_confirmed = false;
    bool m_preview = false;
    int m_firstBox = -1; // the date box that takes the caret first
    QLabel* m_msg;
    std::vector<QLineEdit*> m_txtData;
    QLineEdit* m_txtTitle = nullptr;
    QLineEdit* m_txtUsr = nullptr;
    QLineEdit* m_txtPos[2] = {};
    QRadioButton* m_optPPsize[2] = {};
    QComboBox* m_cboOut = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdPreview = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdHelp = nullptr;
};

// The dialog as the printouts ask it: a new frmPr for every call; the output chosen is kept in
// `output` (which the print device reads).
class QtPrintSettingsForm : public PrintSettingsForm {
public:
    QtPrintSettingsForm(QWidget* owner, int keyInputMode, PrintOutputChoice& output)
        : m_owner(owner), m_keyInputMode(keyInputMode), m_output(output) {}
    int PrSetDataIn(PrSetData& data) override;

private:
    QWidget* m_owner;
    int m_keyInputMode;
    PrintOutputChoice& m_output;
};

} // namespace mrt
