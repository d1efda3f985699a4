#include "ui/search/frmSearch.h"

#include "app/CsvCommands.h"
#include "ledger/AmountExpr.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mrt {
namespace {

QString amountText(int32_t v) {
    return qs(FormatAmount(v, 0)).trimmed();
}

} // namespace

frmSearch::frmSearch(const LedgerIndex& index, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_index(index), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("検索"));
    setFont(UiFont(GothicFace(), 10));
    m_text = new QLineEdit(this);
    m_from = new QLineEdit(this);
    m_to = new QLineEdit(this);
    m_min = new QLineEdit(this);
    m_max = new QLineEdit(this);
    for (QLineEdit* d : {m_from, m_to}) {
        d->setPlaceholderText(QStringLiteral("yyyy/mm/dd"));
        d->setAttribute(Qt::WA_InputMethodEnabled, false);
        d->setMaximumWidth(110);
    }
    for (QLineEdit* a : {m_min, m_max}) {
        a->setAttribute(Qt::WA_InputMethodEnabled, false);
        a->setMaximumWidth(110);
        a->setAlignment(Qt::AlignRight);
    }
    m_search = new QPushButton(QStringLiteral("検索(&S)"), this);
    m_search->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);

    // Each range on one line: its two fields with "～" between them.
    auto range = [this](QLineEdit* from, QLineEdit* to) {
        auto* box = new QHBoxLayout;
        box->addWidget(from);
        box->addWidget(new QLabel(QStringLiteral("～"), this));
        box->addWidget(to);
        box->addStretch();
        return box;
    };
    auto* fields = new QGridLayout;
    auto* textLabel = new QLabel(QStringLiteral("検索する文字(&T):"), this);
    textLabel->setBuddy(m_text);
    fields->addWidget(textLabel, 0, 0);
    fields->addWidget(m_text, 0, 1);
    fields->addWidget(m_search, 0, 2);
    auto* dateLabel = new QLabel(QStringLiteral("日付(&D):"), this);
    dateLabel->setBuddy(m_from);
    fields->addWidget(dateLabel, 1, 0);
    fields->addLayout(range(m_from, m_to), 1, 1);
    auto* amountLabel = new QLabel(QStringLiteral("金額(&M):"), this);
    amountLabel->setBuddy(m_min);
    fields->addWidget(amountLabel, 2, 0);
    fields->addLayout(range(m_min, m_max), 2, 1);
    fields->addWidget(close, 2, 2);
    fields->setColumnStretch(1, 1);

    m_results = new QTableWidget(0, 6, this);
    m_results->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("項目名"),
                                          QStringLiteral("内訳・備考"), QStringLiteral("店名・相手先"),
                                          QStringLiteral("入金"), QStringLiteral("出金")});
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setTabKeyNavigation(false);
    m_results->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->verticalHeader()->setVisible(false);
    m_results->horizontalHeader()->setStretchLastSection(false);
    m_results->setColumnWidth(0, 100);
    m_results->setColumnWidth(1, 150);
    m_results->setColumnWidth(2, 250);
    m_results->setColumnWidth(3, 200);
    m_results->setColumnWidth(4, 95);
    m_results->setColumnWidth(5, 95);
    m_results->installEventFilter(this);
    m_count = new QLabel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_count);
    resize(960, 520);

    connect(m_search, &QPushButton::clicked, this, &frmSearch::RunSearch);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_results, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { choose(row); });
    setTabOrder(m_text, m_from);
    setTabOrder(m_from, m_to);
    setTabOrder(m_to, m_min);
    setTabOrder(m_min, m_max);
    setTabOrder(m_max, m_results);
    UseProgramColours(this);
    m_text->setFocus();
}

int frmSearch::Run(SearchHit& hit) {
    m_chosen = -1;
    exec();
    if (m_chosen < 0) return 1;
    hit = m_found.hits[static_cast<size_t>(m_chosen)];
    return 0;
}

void frmSearch::RunSearch() {
    SearchQuery q;
    std::string problem;
    if (!SearchQueryOf(utf8(m_text->text()), utf8(m_from->text()), utf8(m_to->text()), utf8(m_min->text()),
                       utf8(m_max->text()), q, problem)) {
        m_dlg.MsgOK(problem, "検索");
        return;
    }
    std::string error;
    SearchResult found;
    if (SearchLedger(m_index, q, found, &error) != 0) {
        m_dlg.MsgOK(error, "検索");
        return;
    }
    m_found = std::move(found);
    m_results->setRowCount(static_cast<int>(m_found.hits.size()));
    for (int r = 0; r < m_results->rowCount(); ++r) {
        const IoRecord& l = m_found.hits[static_cast<size_t>(r)].line;
        const QString cells[6] = {qs(FormatDate(l.Year, l.Month, l.Day)),
                                  qs(TrimRight(l.ItemName)),
                                  qs(TrimRight(l.Note)),
                                  qs(TrimRight(l.ShopName)),
                                  amountText(l.Income),
                                  amountText(l.Expense)};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_results->setItem(r, c, item);
        }
    }
    QString count = QStringLiteral("%1 件").arg(m_found.total);
    if (m_found.total > static_cast<int64_t>(m_found.hits.size()))
        count += QStringLiteral("（新しい順に %1 件を表示）").arg(m_found.hits.size());
    if (!m_found.hits.empty()) count += QStringLiteral("　　Enter: その行へ移動　Esc: 閉じる");
    m_count->setText(count);
    if (m_found.hits.empty()) {
        m_dlg.Beep();
        return;
    }
    m_results->setCurrentCell(0, 0);
    m_results->setFocus();
}

bool frmSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_results && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_results->currentRow() >= 0) {
            choose(m_results->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSearch::choose(int row) {
    if (row < 0 || row >= static_cast<int>(m_found.hits.size())) return;
    m_chosen = row;
    accept();
}

void frmSearch::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        m_dlg.ShowHelpTopic(HelpFile::Main, kSearchCsvHelpTopic);
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace mrt
