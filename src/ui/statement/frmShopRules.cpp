#include "ui/statement/frmShopRules.h"

#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace mrt {
namespace {

// Help page of the statement import (main help file), which has a section on the rules.
constexpr int kStatementHelpTopic = 108;

} // namespace

frmShopRules::frmShopRules(ShopRulesScreen& screen, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_screen(screen), m_dlg(dlg) {
    setWindowTitle(QStringLiteral("明細取込の規則"));
    setFont(UiFont(GothicFace(), 10));
    const std::vector<std::string> headers = ShopRulesScreen::Headers();
    m_rows = new QTableWidget(0, static_cast<int>(headers.size()), this);
    QStringList labels;
    for (const std::string& h : headers)
        labels << qs(h);
    m_rows->setHorizontalHeaderLabels(labels);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->setTabKeyNavigation(false);
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->verticalHeader()->setVisible(false);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {260, 150, 200};
    for (int c = 0; c < 3; ++c)
        m_rows->setColumnWidth(c, widths[c]);
    m_rows->installEventFilter(this);
    auto* note = new QLabel(QStringLiteral("明細の店名にこの文字列を含む行は、その項目名・内訳で取り込むか、"
                                           "取り込まずに飛ばします。"),
                            this);
    note->setWordWrap(true);
    auto* keys = new QLabel(QStringLiteral("F3/Ins 追加   F2 項目変更   F4 内訳変更   F5/Del 削除   "
                                           "Enter/F12 保存   Esc 閉じる   F1 ヘルプ"),
                            this);
    auto* save = new QPushButton(QStringLiteral("保存"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    save->setFocusPolicy(Qt::NoFocus);
    close->setFocusPolicy(Qt::NoFocus);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(keys);
    bottom->addStretch();
    bottom->addWidget(save);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(m_rows, 1);
    layout->addLayout(bottom);
    resize(760, 480);
    connect(save, &QPushButton::clicked, this, [this] { handleKey(Qt::Key_F12); });
    connect(close, &QPushButton::clicked, this, &frmShopRules::reject);
    UseProgramColours(this);
    refresh(0);
    m_rows->setFocus();
}

void frmShopRules::refresh(int current) {
    m_rows->setRowCount(m_screen.Rows());
    for (int r = 0; r < m_screen.Rows(); ++r) {
        const std::vector<std::string> cells = m_screen.RowCells(r);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            m_rows->setItem(r, c, new QTableWidgetItem(qs(cells[static_cast<size_t>(c)])));
    }
    if (m_screen.Rows() > 0) m_rows->setCurrentCell(std::clamp(current, 0, m_screen.Rows() - 1), 0);
}

bool frmShopRules::handleKey(int key) {
    const int r = m_rows->currentRow();
    switch (key) {
    case Qt::Key_F1:
        m_dlg.ShowHelpTopic(HelpFile::Main, kStatementHelpTopic);
        return true;
    case Qt::Key_F3:
    case Qt::Key_Insert: {
        const int added = m_screen.Add();
        if (added >= 0) refresh(added);
        return true;
    }
    case Qt::Key_F2:
        if (r < 0)
            m_dlg.Beep();
        else if (m_screen.ChangeItem(r))
            refresh(r);
        return true;
    case Qt::Key_F4:
        if (m_screen.ChangeBreakdown(r)) refresh(r);
        return true;
    case Qt::Key_F5:
    case Qt::Key_Delete:
        if (m_screen.Remove(r)) refresh(r);
        return true;
    case Qt::Key_F12:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_screen.Save() == 0) accept();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
}

void frmShopRules::reject() {
    if (m_screen.Close()) QDialog::reject();
}

bool frmShopRules::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_rows && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        return handleKey(k->key());
    }
    return QDialog::eventFilter(watched, e);
}

// Keys the table passes up (those with Ctrl or Alt among them) reach here: only plain keys act.
void frmShopRules::keyPressEvent(QKeyEvent* e) {
    if ((e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) || !handleKey(e->key())) QDialog::keyPressEvent(e);
}

} // namespace mrt
