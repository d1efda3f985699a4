#include "ui/csv/frmCsvImport.h"

#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "ledger/AmountExpr.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/DateText.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mrt {
namespace {

const QColor kBadRow(255, 214, 214);

} // namespace

frmCsvImport::frmCsvImport(AppState& app, Dialogs& dlg, const std::string& path, std::string bytes, QWidget* owner)
    : QDialog(owner), m_app(app), m_dlg(dlg), m_bytes(std::move(bytes)) {
    setWindowTitle(QStringLiteral("CSV取込 — ") + qs(path));
    setFont(UiFont(GothicFace(), 10));
    m_rows = new QTableWidget(0, 8, this);
    m_rows->setHorizontalHeaderLabels({QStringLiteral("行"), QStringLiteral("日付"), QStringLiteral("項目名"),
                                       QStringLiteral("内訳・備考"), QStringLiteral("店名・相手先"),
                                       QStringLiteral("入金"), QStringLiteral("出金"), QStringLiteral("確認結果")});
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setTabKeyNavigation(false); // Tab leaves the list for the check box and buttons
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->verticalHeader()->setVisible(false);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {50, 100, 130, 220, 160, 90, 90};
    for (int c = 0; c < 7; ++c)
        m_rows->setColumnWidth(c, widths[c]);
    m_register = new QCheckBox(QStringLiteral("未登録の項目名を登録して取り込む(&R)"), this);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_import = new QPushButton(QStringLiteral("取込(&I)"), this);
    auto* cancel = new QPushButton(QStringLiteral("中止"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_register);
    buttons->addStretch();
    buttons->addWidget(m_import);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_rows, 1);
    layout->addLayout(buttons);
    resize(1080, 560);

    connect(m_register, &QCheckBox::toggled, this, &frmCsvImport::replan);
    connect(m_import, &QPushButton::clicked, this, &frmCsvImport::importNow);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    UseProgramColours(this);
    replan();
}

void frmCsvImport::replan() {
    m_plan = PlanAppImport(m_app, m_bytes, m_register->isChecked());
    m_rows->setRowCount(static_cast<int>(m_plan.rows.size()));
    int firstBad = -1;
    for (int r = 0; r < m_rows->rowCount(); ++r) {
        const ImportRow& row = m_plan.rows[static_cast<size_t>(r)];
        const IoRecord& l = row.line;
        QString cells[8] = {QString::number(row.lineNo),
                            qs(FormatDate(l.Year, l.Month, l.Day)),
                            qs(l.ItemName),
                            qs(l.Note),
                            qs(l.ShopName),
                            qs(FormatAmount(l.Income, 0)).trimmed(),
                            qs(FormatAmount(l.Expense, 0)).trimmed(),
                            row.problem.empty() ? QStringLiteral("OK") : qs(row.problem)};
        // A bad line shows what the file holds.
        if (!row.problem.empty())
            for (size_t c = 0; c < 6; ++c)
                cells[c + 1] = c < row.cells.size() ? qs(row.cells[c]) : QString();
        for (int c = 0; c < 8; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 0 || c == 5 || c == 6) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!row.problem.empty()) item->setBackground(kBadRow);
            m_rows->setItem(r, c, item);
        }
        if (!row.problem.empty() && firstBad < 0) firstBad = r;
    }
    QString summary;
    if (!m_plan.fileError.empty()) {
        summary = qs(m_plan.fileError);
    } else if (m_plan.BadRows() > 0) {
        summary =
            QStringLiteral("%1 行のうち %2 行に誤りがあります（赤い行）。誤りのある行があるときは何も取り込みません。"
                           "ファイルを直してからもう一度取り込んでください。")
                .arg(m_plan.rows.size())
                .arg(m_plan.BadRows());
    } else {
        summary =
            QStringLiteral("%1 行を取り込めます。各行はその日付の最後の行の後に入ります。").arg(m_plan.rows.size());
        if (!m_plan.newItems.empty())
            summary += QStringLiteral("新しく登録する項目名: %1 件").arg(m_plan.newItems.size());
    }
    m_summary->setText(summary);
    m_import->setEnabled(m_plan.Ready());
    m_import->setDefault(m_plan.Ready());
    if (firstBad >= 0)
        m_rows->setCurrentCell(firstBad, 0);
    else if (m_rows->rowCount() > 0)
        m_rows->setCurrentCell(0, 0);
    (m_plan.Ready() ? static_cast<QWidget*>(m_import) : m_rows)->setFocus();
}

void frmCsvImport::importNow() {
    if (!m_plan.Ready()) return;
    if (RunAppImport(m_app, m_plan, m_dlg) == 0) accept();
}

void frmCsvImport::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        m_dlg.ShowHelpTopic(HelpFile::Main, kSearchCsvHelpTopic);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
