#include "ui/repeat/frmRepeatDue.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mrt {
namespace {

constexpr const char* kTitle = "定期入出金";
const QColor kSkipped(220, 220, 220);
const QColor kPostponed(255, 244, 200);

} // namespace

frmRepeatDue::frmRepeatDue(AppState& app, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_app(app), m_dlg(dlg), m_list(app.repeats, AppToday(), app.settings.TaxRate) {
    setWindowTitle(QStringLiteral("定期入出金 — 期日が来た行"));
    setFont(UiFont(GothicFace(), 10));
    auto* intro = new QLabel(QStringLiteral("前回の確認から今日までに期日が来た定期入出金です。"
                                            "（日付の * は前回保留した行）\n"
                                            "Space: 追加　S: とばす　P: 保留　F2: 金額変更　"
                                            "F12 / Enter: 確定　Esc: 次回にする　F1: ヘルプ"),
                             this);
    m_rows = new QTableWidget(0, 7, this);
    m_rows->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("区分"), QStringLiteral("項目名"),
                                       QStringLiteral("内訳・備考"), QStringLiteral("店名・相手先"),
                                       QStringLiteral("金額"), QStringLiteral("扱い")});
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setTabKeyNavigation(false);
    m_rows->verticalHeader()->setVisible(false);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {110, 50, 130, 200, 150, 100};
    for (int c = 0; c < 6; ++c)
        m_rows->setColumnWidth(c, widths[c]);
    m_rows->installEventFilter(this);
    m_summary = new QLabel(this);
    auto* ok = new QPushButton(QStringLiteral("確定(F12)"), this);
    auto* later = new QPushButton(QStringLiteral("次回にする(Esc)"), this);
    for (QPushButton* b : {ok, later}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(ok);
    buttons->addWidget(later);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_rows, 1);
    layout->addLayout(buttons);
    resize(900, 420);
    connect(ok, &QPushButton::clicked, this, &frmRepeatDue::decide);
    connect(later, &QPushButton::clicked, this, &QDialog::reject);
    UseProgramColours(this);
    refresh();
    if (m_list.Rows() > 0) m_rows->setCurrentCell(0, 0);
    m_rows->setFocus();
}

int frmRepeatDue::Run() {
    exec();
    return m_added;
}

void frmRepeatDue::refresh() {
    m_rows->setRowCount(m_list.Rows());
    for (int r = 0; r < m_list.Rows(); ++r) {
        const auto cells = m_list.Cells(r);
        const DueChoice choice = m_list.Lines()[static_cast<size_t>(r)].choice;
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(qs(cells[static_cast<size_t>(c)]));
            if (c == 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (choice == DueChoice::Skip) item->setBackground(kSkipped);
            if (choice == DueChoice::Postpone) item->setBackground(kPostponed);
            m_rows->setItem(r, c, item);
        }
    }
    m_summary->setText(qs(m_list.Summary()));
}

void frmRepeatDue::choose(DueChoice c) {
    const int row = m_rows->currentRow();
    if (row < 0) return;
    m_list.Choose(row, c);
    refresh();
    m_rows->setCurrentCell(std::min(row + 1, m_list.Rows() - 1), 0);
}

void frmRepeatDue::changeAmount() {
    const int row = m_rows->currentRow();
    if (row < 0) return;
    std::string text = m_list.AmountText(row);
    if (text.size() < 20) text.append(20 - text.size(), ' ');
    const auto cells = m_list.Cells(row);
    if (m_dlg.InputKel(text, cells[0] + " " + cells[2] + " の金額を入力してください。(式も可)", "金額変更", 0, 0, "") !=
        0)
        return;
    if (std::string why = m_list.ChangeAmount(row, text); !why.empty()) {
        m_dlg.MsgOK(why, kTitle);
        return;
    }
    m_list.Choose(row, DueChoice::Accept);
    refresh();
    m_rows->setCurrentCell(row, 0);
}

void frmRepeatDue::decide() {
    const int added = m_list.Apply(m_app.ledger, m_app.names, m_app.dataFolder, m_app.repeats, m_dlg);
    if (added < 0) return;
    m_added = added;
    accept();
}

bool frmRepeatDue::key(int k) {
    switch (k) {
    case Qt::Key_Space:
    case Qt::Key_A:
        choose(DueChoice::Accept);
        return true;
    case Qt::Key_S:
    case Qt::Key_Delete:
        choose(DueChoice::Skip);
        return true;
    case Qt::Key_P:
        choose(DueChoice::Postpone);
        return true;
    case Qt::Key_F2:
        changeAmount();
        return true;
    case Qt::Key_F12:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        decide();
        return true;
    case Qt::Key_F1:
        m_dlg.ShowHelpTopic(HelpFile::Main, kRecurringHelpTopic);
        return true;
    default:
        return false;
    }
}

bool frmRepeatDue::eventFilter(QObject* obj, QEvent* e) {
    if (obj == m_rows && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (!(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && key(ke->key())) return true;
    }
    return QDialog::eventFilter(obj, e);
}

void frmRepeatDue::keyPressEvent(QKeyEvent* e) {
    if (!(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && key(e->key())) return;
    QDialog::keyPressEvent(e);
}

} // namespace mrt
