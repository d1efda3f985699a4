#include "ui/statement/frmStatement.h"

#include "port/Dialogs.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/ProgramColours.h"
#include "ui/dialogs/QtText.h"

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

// Help page of the statement import (main help file).
constexpr int kStatementHelpTopic = 108;

QColor rowColour(LineState s) {
    switch (s) {
    case LineState::New:
        return QColor(255, 255, 255);
    case LineState::Duplicate:
        return QColor(255, 244, 200);
    case LineState::Skipped:
    case LineState::Cancelled:
        return QColor(230, 230, 230);
    case LineState::NeedsItem:
        return QColor(214, 232, 255);
    case LineState::Error:
        break;
    }
    return QColor(255, 214, 214);
}

} // namespace

frmStatement::frmStatement(StatementPreview& preview, Dialogs& dlg, QWidget* owner)
    : QDialog(owner), m_preview(preview), m_dlg(dlg) {
    setWindowTitle(qs(preview.Title()));
    setFont(UiFont(GothicFace(), 10));
    const std::vector<std::string> headers = StatementPreview::Headers();
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
    const int widths[] = {44, 40, 70, 90, 200, 80, 110, 140, 190};
    for (int c = 0; c < 9; ++c)
        m_rows->setColumnWidth(c, widths[c]);
    m_rows->installEventFilter(this);
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_register = new QCheckBox(QStringLiteral("F5 未登録の項目名も登録する"), this);
    m_register->setFocusPolicy(Qt::NoFocus);
    auto* keys = new QLabel(QStringLiteral("F2 項目変更   Space 取込/除外   F3 規則に追加   F4 店名の切り詰め   "
                                           "Enter 取込   Esc 中止   F1 ヘルプ"),
                            this);
    auto* importButton = new QPushButton(QStringLiteral("取込"), this);
    auto* cancel = new QPushButton(QStringLiteral("中止"), this);
    importButton->setFocusPolicy(Qt::NoFocus);
    cancel->setFocusPolicy(Qt::NoFocus);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(keys);
    bottom->addStretch();
    bottom->addWidget(m_register);
    bottom->addWidget(importButton);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_rows, 1);
    layout->addLayout(bottom);
    resize(1180, 600);
    connect(importButton, &QPushButton::clicked, this, [this] { handleKey(Qt::Key_Return); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_register, &QCheckBox::clicked, this, [this](bool on) {
        m_preview.SetRegisterItems(on);
        refresh();
    });
    UseProgramColours(this);
    refresh();
    if (m_rows->rowCount() > 0) m_rows->setCurrentCell(0, 0);
    m_rows->setFocus();
}

void frmStatement::refresh() {
    const int current = m_rows->currentRow();
    m_rows->setRowCount(m_preview.Rows());
    for (int r = 0; r < m_preview.Rows(); ++r) {
        const std::vector<std::string> cells = m_preview.RowCells(r);
        const QColor colour = rowColour(m_preview.RowState(r));
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(qs(cells[static_cast<size_t>(c)]));
            if (c == 0 || c == 5) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 1) item->setTextAlignment(Qt::AlignCenter);
            item->setBackground(colour);
            m_rows->setItem(r, c, item);
        }
    }
    if (current >= 0 && current < m_rows->rowCount()) m_rows->setCurrentCell(current, 0);
    m_summary->setText(qs(m_preview.Summary()));
    m_register->setChecked(m_preview.RegisterItems());
}

bool frmStatement::handleKey(int key) {
    const int r = m_rows->currentRow();
    bool changed = false;
    switch (key) {
    case Qt::Key_F1:
        m_dlg.ShowHelpTopic(HelpFile::Main, kStatementHelpTopic);
        return true;
    case Qt::Key_F2:
        changed = r >= 0 && m_preview.ChangeItem(r);
        break;
    case Qt::Key_Space:
        changed = r >= 0 && m_preview.Toggle(r);
        break;
    case Qt::Key_F3:
        changed = r >= 0 && m_preview.AddRule(r);
        break;
    case Qt::Key_F4:
        changed = r >= 0 && m_preview.Cut(r);
        break;
    case Qt::Key_F5:
        m_preview.SetRegisterItems(!m_preview.RegisterItems());
        changed = true;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_preview.Import() == 0)
            accept();
        else
            refresh();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
    if (changed) refresh();
    return true;
}

bool frmStatement::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_rows && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        return handleKey(k->key());
    }
    return QDialog::eventFilter(watched, e);
}

void frmStatement::keyPressEvent(QKeyEvent* e) {
    if (!handleKey(e->key())) QDialog::keyPressEvent(e);
}

} // namespace mrt
