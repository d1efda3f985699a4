#include "ui/csv/frmCsvExport.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/Clock.h"
#include "util/DateText.h"
#include "util/Paths.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mrt {
namespace {

// Combo box entries in the order of their encodings.
constexpr CsvEncoding kEncodings[] = {CsvEncoding::Utf8Bom, CsvEncoding::Utf8, CsvEncoding::Cp932};

} // namespace

frmCsvExport::frmCsvExport(const AppState& app, Dialogs& dlg, QWidget* owner) : QDialog(owner), m_app(app), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("CSV出力"));
    setFont(UiFont(GothicFace(), 10));
    const LedgerIndex& idx = app.ledger.index;
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    if (idx.YearCount > 0) {
        m_from->setText(qs(FormatDate(idx.FirstYear, idx.FirstMonth, idx.FirstDay)));
        m_to->setText(qs(FormatDate(idx.LastYear, idx.LastMonth, idx.LastDay)));
    }
    const CivilDate today = AppClock().Today();
    m_content = new QComboBox(this);
    m_content->addItems({QStringLiteral("入出金データ（日付の範囲）"), QStringLiteral("予算表（１年分）")});
    // The budget year offered is the ledger's last year (this year for an empty ledger).
    m_year = new QLineEdit(QString::number(idx.YearCount > 0 ? idx.LastYear : today.year), this);
    m_year->setMaximumWidth(80);
    for (QLineEdit* d : {m_from, m_to, m_year})
        d->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_encoding = new QComboBox(this);
    m_encoding->addItems({QStringLiteral("UTF-8 (BOM付き) — 表計算ソフト向け"), QStringLiteral("UTF-8 (BOMなし)"),
                          QStringLiteral("シフトJIS (CP932)")});
    m_path = new QLineEdit(qs(CsvStartFolder(app.home, QDir::homePath().toStdString())) + QStringLiteral("/家計簿_") +
                               qs(FormatDate(today.year, today.month, today.day, "")) + QStringLiteral(".csv"),
                           this);
    m_path->setMinimumWidth(420);
    auto* browse = new QPushButton(QStringLiteral("参照(&B)…"), this);
    m_export = new QPushButton(QStringLiteral("出力(&O)"), this);
    m_export->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("中止"), this);

    auto* grid = new QGridLayout(this);
    auto addRow = [&](int row, const QString& caption, QWidget* field, QWidget* extra = nullptr) {
        auto* l = new QLabel(caption, this);
        l->setBuddy(field);
        grid->addWidget(l, row, 0);
        grid->addWidget(field, row, 1);
        if (extra) grid->addWidget(extra, row, 2);
    };
    auto* range = new QWidget(this);
    auto* rangeLayout = new QHBoxLayout(range);
    rangeLayout->setContentsMargins(0, 0, 0, 0);
    rangeLayout->addWidget(m_from);
    rangeLayout->addWidget(new QLabel(QStringLiteral("～"), this));
    rangeLayout->addWidget(m_to);
    addRow(0, QStringLiteral("内容(&K):"), m_content);
    addRow(1, QStringLiteral("日付(&D):"), range);
    static_cast<QLabel*>(grid->itemAtPosition(1, 0)->widget())->setBuddy(m_from);
    addRow(2, QStringLiteral("年(&Y):"), m_year);
    addRow(3, QStringLiteral("文字コード(&C):"), m_encoding);
    addRow(4, QStringLiteral("ファイル(&F):"), m_path, browse);
    m_columns = new QLabel(this);
    grid->addWidget(m_columns, 5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_export);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 6, 0, 1, 3);
    connect(m_content, &QComboBox::currentIndexChanged, this, &frmCsvExport::contentChanged);
    contentChanged();

    connect(browse, &QPushButton::clicked, this, &frmCsvExport::browse);
    connect(m_export, &QPushButton::clicked, this, &frmCsvExport::exportNow);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    UseProgramColours(this);
    m_content->setFocus();
}

void frmCsvExport::browse() {
    std::string folder, name;
    SplitPath(utf8(m_path->text()), folder, name);
    if (m_dlg.GetDirName("CSV出力", "出力先のフォルダを選んでください。", folder) != 0) return;
    m_path->setText(qs(JoinPath(folder, name)));
}

// The date range belongs to the ledger, the year to the budget.
void frmCsvExport::contentChanged() {
    const bool budget = m_content->currentIndex() == 1;
    m_from->setEnabled(!budget);
    m_to->setEnabled(!budget);
    m_year->setEnabled(budget);
    m_columns->setText(budget ? QStringLiteral("列: 月, 区分, 順番, キー, 項目名, 予算額（空欄は予算なし）")
                              : QStringLiteral("列: 日付, 項目名, 内訳・備考, 店名・相手先, 入金, 出金, 残高"));
}

void frmCsvExport::exportNow() {
    const CsvEncoding enc = kEncodings[std::max(0, m_encoding->currentIndex())];
    const std::string path = utf8(m_path->text().trimmed());
    const int r = m_content->currentIndex() == 1
                      ? RunAppBudgetExport(m_app, utf8(m_year->text()), enc, path, m_dlg)
                      : RunAppExport(m_app, utf8(m_from->text()), utf8(m_to->text()), enc, path, m_dlg);
    if (r == 0) accept();
}

void frmCsvExport::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        m_dlg.ShowHelpTopic(HelpFile::Main, kSearchCsvHelpTopic);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
